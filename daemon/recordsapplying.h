// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_RECORDSAPPLYING_H
#define KIVO_RECORDSAPPLYING_H

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QThread;
class X11Connection;
class WinPropsDaemon;

// Keeps the windows of the X display in step with the daemon's records. Changes are applied once
// control returns to the event loop: the caller gets its answer first, and a burst of changes is
// applied once. The applier works in a thread of its own: a client that grabs the X server holds
// every request to it, and must not hold the daemon's answers on the bus.
class RecordsApplying : public QObject
{
    Q_OBJECT

public:
    using Log = std::function<void(const QString &line)>;

    // Null, after one line in the log that says why, when there is no X display to apply to.
    static std::unique_ptr<RecordsApplying> start(WinPropsDaemon &daemon, const Log &log);
    ~RecordsApplying() override;

private:
    RecordsApplying(WinPropsDaemon &daemon, std::unique_ptr<X11Connection> x11, const Log &log);
    void applyRecords();

    WinPropsDaemon &m_daemon;
    // Left running at exit when the X server holds it.
    QThread *m_thread;
    // Lives in m_thread, and the applier in it.
    QObject *m_applying;
    QTimer m_pending;
};

#endif
