// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/recordsapplying.h"

#include "daemon/applier/windowapplier.h"
#include "daemon/winpropsdaemon.h"

#include <QThread>

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
    auto *thread = new QThread;
    thread->setObjectName(QStringLiteral("applier"));
    auto *applying = new QObject;
    x11->moveToThread(thread);
    applying->moveToThread(thread);
    connect(thread, &QThread::finished, applying, &QObject::deleteLater);
    thread->start();
    // Made in its thread, where it reads the display's events.
    X11Connection *connection = x11.release();
    QMetaObject::invokeMethod(applying, [connection, log, applying, records = daemon.records()] {
        const QString display = QString::fromLocal8Bit(connection->displayName());
        auto *applier = new WindowApplier(std::unique_ptr<X11Connection>(connection), applying);
        connect(applier, &WindowApplier::notice, applier, log);
        applier->start(records);
        log(QStringLiteral("Applying window properties to the windows of the X display %1.")
                .arg(display));
    });
    const Apply apply = [applying](const WinPropsList &records) {
        QMetaObject::invokeMethod(applying, [applying, records] {
            if (auto *applier = applying->findChild<WindowApplier *>())
                applier->setRecords(records);
        });
    };
    return std::unique_ptr<RecordsApplying>(new RecordsApplying(daemon, nullptr, apply, thread));
}

std::unique_ptr<RecordsApplying> RecordsApplying::follow(WinPropsDaemon &daemon,
                                                         std::unique_ptr<QObject> backend,
                                                         const Apply &apply)
{
    return std::unique_ptr<RecordsApplying>(new RecordsApplying(daemon, std::move(backend), apply));
}

RecordsApplying::RecordsApplying(WinPropsDaemon &daemon, std::unique_ptr<QObject> backend,
                                 const Apply &apply, QThread *thread)
    : m_daemon(daemon)
    , m_backend(std::move(backend))
    , m_apply(apply)
    , m_thread(thread)
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &RecordsApplying::applyRecords);
    connect(&daemon, &WinPropsDaemon::recordsChanged, &m_pending, qOverload<>(&QTimer::start));
}

RecordsApplying::~RecordsApplying()
{
    if (!m_thread)
        return;
    m_thread->quit();
    // An applier held by the X server is left to the end of the process.
    constexpr int stopMs = 2000;
    if (m_thread->wait(stopMs))
        delete m_thread;
}

void RecordsApplying::applyRecords()
{
    m_apply(m_daemon.records());
}
