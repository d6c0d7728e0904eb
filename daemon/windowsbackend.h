// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_WINDOWSBACKEND_H
#define KIVO_WINDOWSBACKEND_H

#include "platform/winprops/winprops.h"

#include <QObject>

// What applies the records to the windows of one kind of desktop.
class WindowsBackend : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Takes the records and applies them to the windows open now; later windows count as new.
    virtual void start(const WinPropsList &records) = 0;
    // Applies changed records to the open windows, and to new ones from now on.
    virtual void setRecords(const WinPropsList &records) = 0;

Q_SIGNALS:
    // A line for the log: properties that have no effect there, what went wrong, the desktop
    // going away.
    void notice(const QString &message);
};

#endif
