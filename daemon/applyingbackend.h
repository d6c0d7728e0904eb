// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_APPLYINGBACKEND_H
#define KIVO_APPLYINGBACKEND_H

#include "daemon/recordsapplying.h"

// Chooses how the records reach the windows, by the desktop the daemon runs in: KWin's window
// rules when KWin owns its name on the session bus, else sway's IPC when SWAYSOCK names a live
// socket, else the X11 applier where DISPLAY works, else nothing. The
// first line of the log says which, and why.
std::unique_ptr<RecordsApplying> startApplying(WinPropsDaemon &daemon,
                                               const RecordsApplying::Log &log);

#endif
