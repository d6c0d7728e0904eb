// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_WINDOWPICKOUTCOME_H
#define KIVO_WINDOWPICKOUTCOME_H

#include <QMetaType>

// How a pick ended. Apart from the picker, so that the dialog needs no X11 headers to hear it.
enum class WindowPickOutcome { Picked, Cancelled, RootWindow, NoWmClass, Lost };
Q_DECLARE_METATYPE(WindowPickOutcome)

#endif
