// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "recordsapplying.h"

#include "windowapplier.h"
#include "winpropsdaemon.h"

namespace {

const QString notApplied = QStringLiteral("window properties are kept but not applied to windows.");

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qgetenv("XDG_SESSION_TYPE") == "wayland";
}

} // namespace

std::unique_ptr<RecordsApplying> RecordsApplying::start(WinPropsDaemon &daemon, const Log &log)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        log(isWaylandSession()
                ? QStringLiteral("A Wayland session without an X display: ") + notApplied
                : QStringLiteral("No X display (DISPLAY is not set): ") + notApplied);
        return nullptr;
    }
    QString error;
    std::unique_ptr<X11Connection> x11 = X11Connection::open(QByteArray(), &error);
    if (!x11) {
        log(error + QStringLiteral("; ") + notApplied);
        return nullptr;
    }
    const QString display = QString::fromLocal8Bit(x11->displayName());
    auto applier = std::make_unique<WindowApplier>(std::move(x11));
    connect(applier.get(), &WindowApplier::notice, applier.get(), log);
    applier->start(daemon.records());
    log(QStringLiteral("Applying window properties to the windows of the X display %1.")
            .arg(display));
    WindowApplier *x11Applier = applier.get();
    return follow(daemon, std::move(applier),
                  [x11Applier](const WinPropsList &records) { x11Applier->setRecords(records); });
}

std::unique_ptr<RecordsApplying> RecordsApplying::follow(WinPropsDaemon &daemon,
                                                         std::unique_ptr<QObject> backend,
                                                         const Apply &apply)
{
    return std::unique_ptr<RecordsApplying>(new RecordsApplying(daemon, std::move(backend), apply));
}

RecordsApplying::RecordsApplying(WinPropsDaemon &daemon, std::unique_ptr<QObject> backend,
                                 const Apply &apply)
    : m_daemon(daemon)
    , m_backend(std::move(backend))
    , m_apply(apply)
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &RecordsApplying::applyRecords);
    connect(&daemon, &WinPropsDaemon::recordsChanged, &m_pending, qOverload<>(&QTimer::start));
}

RecordsApplying::~RecordsApplying() = default;

void RecordsApplying::applyRecords()
{
    m_apply(m_daemon.records());
}
