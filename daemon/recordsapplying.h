// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_RECORDSAPPLYING_H
#define KIVO_RECORDSAPPLYING_H

#include "platform/winprops/winprops.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class WindowsBackend;
class WinPropsDaemon;

// Keeps the windows in step with the daemon's records through the backend of the desktop, and
// tells the daemon what that desktop does with each property.
class RecordsApplying : public QObject
{
    Q_OBJECT

public:
    using Log = std::function<void(const QString &line)>;

    // When the backend takes the changes: once control returns to the event loop, a burst at
    // once; or each before the caller's answer, for a backend that may see a new window before
    // that, or that takes the newest in by itself.
    enum class Handover { Batched, BeforeAnswer };
    static std::unique_ptr<RecordsApplying> follow(WinPropsDaemon &daemon,
                                                   std::unique_ptr<WindowsBackend> backend,
                                                   const Log &log, Handover handover);
    ~RecordsApplying() override;

private:
    RecordsApplying(WinPropsDaemon &daemon, std::unique_ptr<WindowsBackend> backend,
                    Handover handover);
    void applyRecords();

    WinPropsDaemon &m_daemon;
    std::unique_ptr<WindowsBackend> m_backend;
    QTimer m_pending;
};

#endif
