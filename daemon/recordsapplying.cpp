// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/recordsapplying.h"

#include "daemon/windowsbackend.h"
#include "daemon/winpropsdaemon.h"

std::unique_ptr<RecordsApplying> RecordsApplying::follow(WinPropsDaemon &daemon,
                                                         std::unique_ptr<WindowsBackend> backend,
                                                         const Log &log, Handover handover)
{
    connect(backend.get(), &WindowsBackend::notice, backend.get(), log);
    connect(backend.get(), &WindowsBackend::effectsChanged, &daemon,
            &WinPropsDaemon::setDesktopEffects);
    backend->start(daemon.records());
    return std::unique_ptr<RecordsApplying>(
        new RecordsApplying(daemon, std::move(backend), handover));
}

RecordsApplying::RecordsApplying(WinPropsDaemon &daemon, std::unique_ptr<WindowsBackend> backend,
                                 Handover handover)
    : m_daemon(daemon)
    , m_backend(std::move(backend))
{
    if (handover == Handover::BeforeAnswer) {
        connect(&daemon, &WinPropsDaemon::recordsChanged, this, &RecordsApplying::applyRecords);
        return;
    }
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &RecordsApplying::applyRecords);
    connect(&daemon, &WinPropsDaemon::recordsChanged, &m_pending, qOverload<>(&QTimer::start));
}

RecordsApplying::~RecordsApplying() = default;

void RecordsApplying::applyRecords()
{
    m_backend->setRecords(m_daemon.records());
}
