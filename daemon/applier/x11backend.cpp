// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applier/x11backend.h"

#include "daemon/applier/windowapplier.h"

#include <QThread>

#include <sys/socket.h>

namespace {

// Long enough for an applier that is busy with a burst of windows, under a sanitizer too.
constexpr int stopMs = 5000;

} // namespace

X11Backend::X11Backend() = default;

X11Backend::~X11Backend()
{
    if (!m_thread)
        return;
    WindowApplier *applier = m_applier;
    // Destroyed in its thread, by its event loop, which then ends.
    QMetaObject::invokeMethod(applier, [applier] {
        delete applier;
        QThread::currentThread()->quit();
    });
    if (!m_thread->wait(stopMs)) {
        // Held by a client's grab of the X server, waiting for an answer: without its connection
        // it gets none, and goes on to the end. Nothing of a lost display is told at exit.
        QObject::disconnect(applier, nullptr, this, nullptr);
        const int socket = applier->socketDescriptor();
        if (socket >= 0)
            ::shutdown(socket, SHUT_RDWR);
        if (!m_thread->wait(stopMs))
            return; // Stuck elsewhere: left to the end of the process.
    }
    delete m_thread;
}

void X11Backend::start(const WinPropsList &records)
{
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("applier"));
    // Made here, so that whatever point the thread reaches it is destroyed.
    m_applier = new WindowApplier;
    connect(m_applier, &WindowsBackend::notice, this, &WindowsBackend::notice);
    connect(m_applier, &WindowsBackend::effectsChanged, this,
            [this](const DesktopEffects &effects) { setEffects(effects); });
    m_applier->moveToThread(m_thread);
    m_thread->start();
    WindowApplier *applier = m_applier;
    QMetaObject::invokeMethod(applier, [applier, records] { applier->start(records); });
}

void X11Backend::setRecords(const WinPropsList &records)
{
    m_applier->post(records);
}
