// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_X11BACKEND_H
#define KIVO_X11BACKEND_H

#include "daemon/windowsbackend.h"

class QThread;
class WindowApplier;

// The X11 applier in a thread of its own, which also opens its connection: a client that grabs
// the X server, or a display that never answers, holds every request to it, and must hold
// neither the daemon's start nor its answers on the bus.
class X11Backend : public WindowsBackend
{
    Q_OBJECT

public:
    X11Backend();
    ~X11Backend() override;

    void start(const WinPropsList &records) override;
    // Handed over at once: the applier takes the newest in before it handles its next event.
    void setRecords(const WinPropsList &records) override;

private:
    QThread *m_thread = nullptr;
    WindowApplier *m_applier = nullptr;
};

#endif
