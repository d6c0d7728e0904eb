// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applier/placement.h"

#include <limits>

namespace {

// X11 coordinates are signed, sizes unsigned 16-bit numbers.
constexpr qint64 maxCoordinate = std::numeric_limits<qint16>::max();

xcb_gravity_t gravityOf(const GeometrySpec &geometry)
{
    if (geometry.fromRightEdge)
        return geometry.fromBottomEdge ? XCB_GRAVITY_SOUTH_EAST : XCB_GRAVITY_NORTH_EAST;
    return geometry.fromBottomEdge ? XCB_GRAVITY_SOUTH_WEST : XCB_GRAVITY_NORTH_WEST;
}

// An offset counted from the near or the far edge of the area.
qint64 placed(qint64 start, qint64 extent, qint64 size, qint64 offset, bool fromFarEdge)
{
    return fromFarEdge ? start + extent - offset - size : start + offset;
}

qint64 bounded(qint64 value, qint64 low, qint64 high)
{
    return qMax(low, qMin(value, high));
}

} // namespace

Placement placementOf(const GeometrySpec &geometry, bool frameless,
                      const WindowManagerTraits &manager, const PlacementInput &input)
{
    // A size of nothing keeps the window's own.
    const qint64 width
        = bounded(geometry.width > 0 ? geometry.width : input.ownSize.width(), 1, maxCoordinate);
    const qint64 height
        = bounded(geometry.height > 0 ? geometry.height : input.ownSize.height(), 1, maxCoordinate);
    const qint64 border = manager.gravityCountsBorder ? 2 * input.border : 0;
    qint64 x = placed(0, input.screen.width(), width + border, geometry.x, geometry.fromRightEdge);
    qint64 y
        = placed(0, input.screen.height(), height + border, geometry.y, geometry.fromBottomEdge);
    // Without a frame to come, the window's own edges are those placed; where the frame goes
    // only after the window was placed, the window itself is placed.
    const bool placesWindow = frameless && manager.unframingKeepsWindow;
    Placement placement { {}, placesWindow ? XCB_GRAVITY_STATIC : gravityOf(geometry), false };
    const QRect &area = input.workArea;
    placement.offScreen = x >= area.x() + area.width() || x + width <= area.x()
        || y >= area.y() + area.height() || y + height <= area.y();
    if (placement.offScreen) {
        // Put the whole frame inside the work area, its top left corner placed.
        const QMargins frame = input.frame ? input.frame() : QMargins();
        const qint64 outerWidth = width + frame.left() + frame.right();
        const qint64 outerHeight = height + frame.top() + frame.bottom();
        x = bounded(x, area.x(), area.x() + qMax<qint64>(0, area.width() - outerWidth));
        y = bounded(y, area.y(), area.y() + qMax<qint64>(0, area.height() - outerHeight));
        placement.gravity = XCB_GRAVITY_NORTH_WEST;
    }
    placement.rect = QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                           static_cast<int>(height));
    return placement;
}

QRect frameCornerFirst(const QRect &rect, const QMargins &frame, xcb_gravity_t &gravity)
{
    QRect corner = rect;
    if (gravity == XCB_GRAVITY_NORTH_EAST || gravity == XCB_GRAVITY_SOUTH_EAST)
        corner.moveLeft(rect.x() - frame.left() - frame.right());
    if (gravity == XCB_GRAVITY_SOUTH_WEST || gravity == XCB_GRAVITY_SOUTH_EAST)
        corner.moveTop(rect.y() - frame.top() - frame.bottom());
    gravity = XCB_GRAVITY_NORTH_WEST;
    return corner;
}
