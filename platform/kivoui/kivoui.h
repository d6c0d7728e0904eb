// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_KIVOUI_H
#define KIVO_KIVOUI_H

#include <QStringList>

// Sets the application's name and version and the desktop's organisation, and installs the
// translations of Qt's texts and of the application's own for the user's locale, where found.
// In a GUI application it also makes sure of an icon theme (see kivoIconThemeFallback).
void kivoInit(const char *version, const char *appName);

// The icon theme to use when the platform names none (as on a bare X session): the first
// freedesktop theme found installed in searchPaths, in a fixed order of preference. current is
// kept when it is set; an empty result means none is installed.
QString kivoIconThemeFallback(const QString &current, const QStringList &searchPaths);

#endif
