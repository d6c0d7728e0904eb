// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/recordsapplying.h"

#include "daemon/applier/windowapplier.h"
#include "daemon/winpropsdaemon.h"

#include <QThread>

#include <sys/socket.h>

namespace {

const QString notApplied = QStringLiteral("window properties are kept but not applied to windows.");

// Long enough for an applier that is busy with a burst of windows, under a sanitizer too.
constexpr int stopMs = 5000;

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
    auto *thread = new QThread;
    thread->setObjectName(QStringLiteral("applier"));
    const int socket = xcb_get_file_descriptor(x11->xcb());
    const QString display = QString::fromLocal8Bit(x11->displayName());
    x11->moveToThread(thread);
    // Made here, so that whatever point the thread reaches it is destroyed; it works in the
    // thread, where its connection reads the display's events.
    auto *applier = new WindowApplier(std::move(x11));
    connect(applier, &WindowApplier::notice, applier, log);
    applier->moveToThread(thread);
    thread->start();
    QMetaObject::invokeMethod(applier, [applier, log, display, records = daemon.records()] {
        applier->start(records);
        log(QStringLiteral("Applying window properties to the windows of the X display %1.")
                .arg(display));
    });
    auto *result = new RecordsApplying(daemon, nullptr);
    // Handed over before the caller's answer: a window it opens next finds the records there.
    connect(&daemon, &WinPropsDaemon::recordsChanged, result,
            [applier, &daemon] { applier->post(daemon.records()); });
    result->m_applier = { thread, applier, socket };
    return std::unique_ptr<RecordsApplying>(result);
}

std::unique_ptr<RecordsApplying> RecordsApplying::follow(WinPropsDaemon &daemon,
                                                         std::unique_ptr<WindowsBackend> backend,
                                                         const Log &log, Handover handover)
{
    connect(backend.get(), &WindowsBackend::notice, backend.get(), log);
    backend->start(daemon.records());
    return std::unique_ptr<RecordsApplying>(
        new RecordsApplying(daemon, std::move(backend), handover));
}

RecordsApplying::RecordsApplying(WinPropsDaemon &daemon, std::unique_ptr<WindowsBackend> backend,
                                 Handover handover)
    : m_daemon(daemon)
    , m_backend(std::move(backend))
{
    if (!m_backend)
        return;
    if (handover == Handover::BeforeAnswer) {
        connect(&daemon, &WinPropsDaemon::recordsChanged, this, &RecordsApplying::applyRecords);
        return;
    }
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &RecordsApplying::applyRecords);
    connect(&daemon, &WinPropsDaemon::recordsChanged, &m_pending, qOverload<>(&QTimer::start));
}

RecordsApplying::~RecordsApplying()
{
    QThread *thread = m_applier.thread;
    if (!thread)
        return;
    WindowApplier *applier = m_applier.applier;
    // Destroyed in its thread, by its event loop, which then ends.
    QMetaObject::invokeMethod(applier, [applier] {
        delete applier;
        QThread::currentThread()->quit();
    });
    if (!thread->wait(stopMs)) {
        // Held by a client's grab of the X server, waiting for an answer: without its connection
        // it gets none, and goes on to the end. Nothing of a lost display is told at exit.
        QObject::disconnect(applier, &WindowApplier::notice, nullptr, nullptr);
        ::shutdown(m_applier.socket, SHUT_RDWR);
        if (!thread->wait(stopMs))
            return; // Stuck elsewhere: left to the end of the process.
    }
    delete thread;
}

void RecordsApplying::applyRecords()
{
    m_backend->setRecords(m_daemon.records());
}
