// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_GEOMETRYSTRING_H
#define KIVO_GEOMETRYSTRING_H

#include <QString>
#include <optional>

// An initial window geometry, "WxH+X+Y"; a '-' before an offset counts it from the right or
// bottom screen edge. The numbers are read the way the geometry editor shows them: width and
// height as unsigned 32-bit values reinterpreted as signed, offsets as signed 32-bit values,
// anything that does not fit its type as 0. Range clamping is left to the controls.
struct GeometrySpec
{
    int width = 0;
    int height = 0;
    bool fromRightEdge = false;
    int x = 0;
    bool fromBottomEdge = false;
    int y = 0;

    bool operator==(const GeometrySpec &other) const;
};

// Reads a whole geometry string; nothing when it does not match the format exactly.
std::optional<GeometrySpec> parseGeometryString(const QString &text);

// Composes the canonical string: decimal numbers without leading zeros or plus signs, the sizes
// as unsigned numbers; it reads back to the same geometry.
QString geometryStringOf(const GeometrySpec &geometry);

#endif
