// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_KIVOUI_H
#define KIVO_KIVOUI_H

// Sets the application's name and version and the desktop's organisation, and installs the
// translations of Qt's texts and of the application's own for the user's locale, where found.
void kivoInit(const char *version, const char *appName);

#endif
