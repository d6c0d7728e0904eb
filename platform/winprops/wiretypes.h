// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WIRETYPES_H
#define KIVO_WIRETYPES_H

// Every type the service's interface carries, for the code generated from its description.
#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/winprops.h"

#endif
