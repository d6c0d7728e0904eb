// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_GEOMETRYCASES_H
#define KIVO_GEOMETRYCASES_H

// Geometry strings with what the parser reads from them and what the geometry editor shows, one
// table for the tests of both.

#include "platform/winprops/geometrystring.h"

#include <QTest>

Q_DECLARE_METATYPE(GeometrySpec)

inline char *toString(const GeometrySpec &g)
{
    return QTest::toString(QStringLiteral("%1x%2 %3%4 %5%6")
                               .arg(g.width)
                               .arg(g.height)
                               .arg(g.fromRightEdge ? QLatin1Char('-') : QLatin1Char('+'))
                               .arg(g.x)
                               .arg(g.fromBottomEdge ? QLatin1Char('-') : QLatin1Char('+'))
                               .arg(g.y));
}

inline GeometrySpec geometry(int width, int height, bool right, int x, bool bottom, int y)
{
    return { width, height, right, x, bottom, y };
}

// What the editor shows before each row: a text that does not match leaves it so.
inline const GeometrySpec presetShown = geometry(123, 456, true, 7, true, 8);
inline const QString presetGeometry = QStringLiteral("123x456-7-8");

// Columns: text, matches; parsed and canonical (the parser's reading and the string it composes
// from it); shown and composed (the editor's controls, which hold sizes of 0 to 9999 and offsets
// of -9999 to 9999, and the string it composes, null for no geometry).
inline void addGeometryStringRows()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<GeometrySpec>("parsed");
    QTest::addColumn<QString>("canonical");
    QTest::addColumn<GeometrySpec>("shown");
    QTest::addColumn<QString>("composed");

    const auto same = [](const char *name, const char *text, const GeometrySpec &g,
                         const char *canonical) {
        QTest::newRow(name) << QString::fromUtf8(text) << true << g << canonical << g << canonical;
    };
    same("plain", "640x480+0+0", geometry(640, 480, false, 0, false, 0), "640x480+0+0");
    same("right edge", "800x600-10+20", geometry(800, 600, true, 10, false, 20), "800x600-10+20");
    same("negative x", "640x480+-5+10", geometry(640, 480, false, -5, false, 10), "640x480+-5+10");
    same("negative x from bottom", "640x480+-5-20", geometry(640, 480, false, -5, true, 20),
         "640x480+-5-20");
    same("negative y from bottom", "640x480+0--20", geometry(640, 480, false, 0, true, -20),
         "640x480+0--20");
    same("leading zeros", "0640x0480+007+0", geometry(640, 480, false, 7, false, 0), "640x480+7+0");
    same("all zeros", "0x0+0+0", geometry(0, 0, false, 0, false, 0), "0x0+0+0");
    same("width above uint", "4294967296x480+0+0", geometry(0, 480, false, 0, false, 0),
         "0x480+0+0");
    same("offset overflow", "1x1+2147483648-99999999999", geometry(1, 1, false, 0, true, 0),
         "1x1+0-0");
    same("offsets beyond 32 bits", "640x480-99999999999+-2147483649",
         geometry(640, 480, true, 0, false, 0), "640x480-0+0");

    // Values the parser reads whole and the editor clamps.
    QTest::newRow("size above range")
        << "10000x99999+0+0" << true << geometry(10000, 99999, false, 0, false, 0)
        << "10000x99999+0+0" << geometry(9999, 9999, false, 0, false, 0) << "9999x9999+0+0";
    QTest::newRow("width above int")
        << "3000000000x480+0+0" << true << geometry(int(3000000000u), 480, false, 0, false, 0)
        << "3000000000x480+0+0" << geometry(0, 480, false, 0, false, 0) << "0x480+0+0";
    QTest::newRow("largest unsigned width")
        << "4294967295x480+0+0" << true << geometry(-1, 480, false, 0, false, 0)
        << "4294967295x480+0+0" << geometry(0, 480, false, 0, false, 0) << "0x480+0+0";
    QTest::newRow("height at uint limit")
        << "1x04294967295+0+0" << true << geometry(1, -1, false, 0, false, 0) << "1x4294967295+0+0"
        << geometry(1, 0, false, 0, false, 0) << "1x0+0+0";
    QTest::newRow("offset limits") << "1x1+2147483647--2147483648" << true
                                   << geometry(1, 1, false, 2147483647, true, int(-2147483648LL))
                                   << "1x1+2147483647--2147483648"
                                   << geometry(1, 1, false, 9999, true, -9999) << "1x1+9999--9999";
    QTest::newRow("offsets beyond range")
        << "640x480+10000--10000" << true << geometry(640, 480, false, 10000, true, -10000)
        << "640x480+10000--10000" << geometry(640, 480, false, 9999, true, -9999)
        << "640x480+9999--9999";

    const auto noMatch = [](const char *name, const QString &text) {
        QTest::newRow(name) << text << false << GeometrySpec() << QString() << presetShown
                            << QString();
    };
    noMatch("null", QString());
    noMatch("empty", QStringLiteral(""));
    noMatch("no offsets", QStringLiteral("640x480"));
    noMatch("capital X", QStringLiteral("640X480+0+0"));
    noMatch("leading space", QStringLiteral(" 640x480+0+0"));
    noMatch("trailing newline", QStringLiteral("640x480+0+0\n"));
    noMatch("trailing text", QStringLiteral("640x480+0+0px"));
    noMatch("plus before offset", QStringLiteral("640x480++5+0"));
    noMatch("negative width", QStringLiteral("-640x480+0+0"));
    noMatch("other digits", QString::fromUtf8("٦٤٠x480+0+0"));
}

#endif
