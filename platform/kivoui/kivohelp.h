// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_KIVOHELP_H
#define KIVO_KIVOHELP_H

class QWidget;

// The widget help is wanted for: the one under the mouse if it belongs to the active window,
// else the one with the focus, else the active window. May be null.
QWidget *kivoHelpLookForWidget();
// Shows the application's manual in the help window at the section of the widget, or of its
// nearest ancestor that has one, else at the top. The help window is created once and reused.
void kivoHelpShow(QWidget *widget);

#endif
