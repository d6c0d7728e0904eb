// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/winprops/geometrystring.h"

#include <QRegularExpression>

bool GeometrySpec::operator==(const GeometrySpec &other) const
{
    return width == other.width && height == other.height && fromRightEdge == other.fromRightEdge
        && x == other.x && fromBottomEdge == other.fromBottomEdge && y == other.y;
}

namespace {

// ASCII digits only: other Unicode digits would match a looser class but never read as numbers.
const QRegularExpression &geometryPattern()
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]+)x([0-9]+)([+-])(-?[0-9]+)([+-])(-?[0-9]+)")));
    return pattern;
}

int readSize(const QString &digits)
{
    bool ok = false;
    const uint value = digits.toUInt(&ok);
    return ok ? static_cast<int>(value) : 0;
}

int readOffset(const QString &digits)
{
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? value : 0;
}

} // namespace

std::optional<GeometrySpec> parseGeometryString(const QString &text)
{
    const QRegularExpressionMatch match = geometryPattern().match(text);
    if (!match.hasMatch())
        return std::nullopt;
    GeometrySpec geometry;
    geometry.width = readSize(match.captured(1));
    geometry.height = readSize(match.captured(2));
    geometry.fromRightEdge = match.captured(3) == QLatin1String("-");
    geometry.x = readOffset(match.captured(4));
    geometry.fromBottomEdge = match.captured(5) == QLatin1String("-");
    geometry.y = readOffset(match.captured(6));
    return geometry;
}

QString geometryStringOf(const GeometrySpec &geometry)
{
    // Sizes are written back as the unsigned numbers they were read from, so that a size above
    // the signed range still composes a string that matches.
    return QString::number(uint(geometry.width)) + QLatin1Char('x')
        + QString::number(uint(geometry.height)) + QLatin1Char(geometry.fromRightEdge ? '-' : '+')
        + QString::number(geometry.x) + QLatin1Char(geometry.fromBottomEdge ? '-' : '+')
        + QString::number(geometry.y);
}
