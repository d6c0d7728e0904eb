// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "recordsapplying.h"

#include "windowapplier.h"
#include "winpropsdaemon.h"

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
    return std::unique_ptr<RecordsApplying>(new RecordsApplying(daemon, std::move(x11), log));
}

RecordsApplying::RecordsApplying(WinPropsDaemon &daemon, std::unique_ptr<X11Connection> x11,
                                 const Log &log)
    : m_daemon(daemon)
    , m_thread(new QThread)
    , m_applying(new QObject)
{
    m_thread->setObjectName(QStringLiteral("applier"));
    x11->moveToThread(m_thread);
    m_applying->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_applying, &QObject::deleteLater);
    m_thread->start();
    // Made in its thread, where it reads the display's events.
    X11Connection *connection = x11.release();
    QMetaObject::invokeMethod(
        m_applying, [connection, log, applying = m_applying, records = daemon.records()] {
            const QString display = QString::fromLocal8Bit(connection->displayName());
            auto *applier = new WindowApplier(std::unique_ptr<X11Connection>(connection), applying);
            connect(applier, &WindowApplier::notice, applier, log);
            applier->start(records);
            log(QStringLiteral("Applying window properties to the windows of the X display %1.")
                    .arg(display));
        });
    m_pending.setSingleShot(true);
    m_pending.setInterval(0);
    connect(&m_pending, &QTimer::timeout, this, &RecordsApplying::applyRecords);
    connect(&daemon, &WinPropsDaemon::recordsChanged, &m_pending, qOverload<>(&QTimer::start));
}

RecordsApplying::~RecordsApplying()
{
    m_thread->quit();
    // An applier held by the X server is left to the end of the process.
    constexpr int stopMs = 2000;
    if (m_thread->wait(stopMs))
        delete m_thread;
}

void RecordsApplying::applyRecords()
{
    QMetaObject::invokeMethod(m_applying, [applying = m_applying, records = m_daemon.records()] {
        if (auto *applier = applying->findChild<WindowApplier *>())
            applier->setRecords(records);
    });
}
