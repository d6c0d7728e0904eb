// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_PLACEMENT_H
#define KIVO_PLACEMENT_H

#include "daemon/applier/applydecision.h"

#include <QMargins>
#include <QRect>

#include <functional>

#include <xcb/xproto.h>

// Where a start geometry puts a window, free of X: the applier reads what it needs of the
// display and hands it in.

// What the display says of the window and the screen.
struct PlacementInput
{
    QSize screen;
    QRect workArea;
    // The window's own size, kept where the geometry gives none.
    QSize ownSize;
    // The X border the window was created with, where it has one.
    int border = 0;
    // Its frame as the window manager publishes it, read only where it is needed.
    std::function<QMargins()> frame;
};

// Where a start geometry puts the window, and the gravity that keeps the far edges there.
struct Placement
{
    QRect rect;
    xcb_gravity_t gravity = XCB_GRAVITY_NORTH_WEST;
    bool offScreen = false;
};

// The offsets count from the screen's edges, as the manual has it and as the dialog writes them;
// a place off every screen is put inside the work area instead.
Placement placementOf(const GeometrySpec &geometry, bool frameless,
                      const WindowManagerTraits &manager, const PlacementInput &input);

// The position to ask for of a window manager that puts the frame's top left corner at it
// whatever the gravity: moved back by the frame, with the gravity north-west.
QRect frameCornerFirst(const QRect &rect, const QMargins &frame, xcb_gravity_t &gravity);

#endif
