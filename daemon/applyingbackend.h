// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_APPLYINGBACKEND_H
#define KIVO_APPLYINGBACKEND_H

#include "daemon/recordsapplying.h"

// Chooses how the records reach the windows, by the desktop the daemon runs in, from one table:
// the first backend whose desktop is there. The first line of the log says which, and why; where
// none is, the daemon tells its clients that nothing applies the properties, and why.
std::unique_ptr<RecordsApplying> startApplying(WinPropsDaemon &daemon,
                                               const RecordsApplying::Log &log);

#endif
