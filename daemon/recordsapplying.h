// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_RECORDSAPPLYING_H
#define KIVO_RECORDSAPPLYING_H

#include "winprops.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class WinPropsDaemon;

// Keeps the windows of the X display in step with the daemon's records. Changes are applied once
// control returns to the event loop: the caller gets its answer first, and a burst of changes is
// applied once.
class RecordsApplying : public QObject
{
    Q_OBJECT

public:
    using Log = std::function<void(const QString &line)>;

    // Null, after one line in the log that says why, when there is no X display to apply to.
    static std::unique_ptr<RecordsApplying> start(WinPropsDaemon &daemon, const Log &log);
    // Keeps another backend in step: apply gets the records after each change.
    using Apply = std::function<void(const WinPropsList &records)>;
    static std::unique_ptr<RecordsApplying>
    follow(WinPropsDaemon &daemon, std::unique_ptr<QObject> backend, const Apply &apply);
    ~RecordsApplying() override;

private:
    RecordsApplying(WinPropsDaemon &daemon, std::unique_ptr<QObject> backend, const Apply &apply);
    void applyRecords();

    WinPropsDaemon &m_daemon;
    std::unique_ptr<QObject> m_backend;
    Apply m_apply;
    QTimer m_pending;
};

#endif
