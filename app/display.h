// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_DISPLAY_H
#define KIVO_DISPLAY_H

#include <QProcessEnvironment>
#include <QStringList>

// Whether Qt will find a display for the platform that these arguments and this environment
// choose. Qt aborts the program when it finds none, so ask before building a QApplication.
// Platforms other than X11 and Wayland (offscreen, vnc, ...) are taken to work.
bool canShowWindows(const QStringList &arguments,
                    const QProcessEnvironment &environment
                    = QProcessEnvironment::systemEnvironment());

#endif
