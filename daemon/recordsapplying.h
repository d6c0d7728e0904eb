// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_RECORDSAPPLYING_H
#define KIVO_RECORDSAPPLYING_H

#include "platform/winprops/winprops.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QThread;
class WindowApplier;
class WindowsBackend;
class WinPropsDaemon;

// Keeps the windows in step with the daemon's records, through the backend of the desktop.
// Changes are applied once control returns to an event loop: the caller gets its answer first,
// and a burst of changes is applied once. The X11 applier works in a thread of its own: a client
// that grabs the X server holds every request to it, and must not hold the daemon's answers on
// the bus. It is handed each change before the answer, and takes the newest in before it handles
// its next event.
class RecordsApplying : public QObject
{
    Q_OBJECT

public:
    using Log = std::function<void(const QString &line)>;

    // Null, after one line in the log that says why, when there is no X display to apply to.
    static std::unique_ptr<RecordsApplying> start(WinPropsDaemon &daemon, const Log &log);
    // When a backend in the daemon's thread takes the changes: once control returns to the event
    // loop, a burst at once; or each before the caller's answer, for a backend that may see a
    // new window before that.
    enum class Handover { Batched, BeforeAnswer };
    // Starts a backend that lives in the daemon's thread and keeps it in step.
    static std::unique_ptr<RecordsApplying> follow(WinPropsDaemon &daemon,
                                                   std::unique_ptr<WindowsBackend> backend,
                                                   const Log &log,
                                                   Handover handover = Handover::Batched);
    ~RecordsApplying() override;

private:
    RecordsApplying(WinPropsDaemon &daemon, std::unique_ptr<WindowsBackend> backend,
                    Handover handover = Handover::Batched);
    void applyRecords();

    WinPropsDaemon &m_daemon;
    std::unique_ptr<WindowsBackend> m_backend;
    // The X11 applier, its own thread and its connection's socket; no thread for backends that
    // live in the daemon's thread.
    struct
    {
        QThread *thread = nullptr;
        WindowApplier *applier = nullptr;
        int socket = -1;
    } m_applier;
    QTimer m_pending;
};

#endif
