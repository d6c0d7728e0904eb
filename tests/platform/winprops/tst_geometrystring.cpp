// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/winprops/geometrystring.h"
#include "tests/common/testenvironment.h"
#include "tests/platform/winprops/geometrycases.h"

class TestGeometryString : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data() { addGeometryStringRows(); }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QFETCH(GeometrySpec, parsed);
        QFETCH(QString, canonical);
        const std::optional<GeometrySpec> geometry = parseGeometryString(text);
        QCOMPARE(geometry.has_value(), matches);
        if (!matches)
            return;
        QCOMPARE(*geometry, parsed);
        QCOMPARE(geometryStringOf(*geometry), canonical);
        // What is composed reads back to the same geometry.
        QVERIFY(parseGeometryString(canonical) == geometry);
    }
};

KIVO_TEST_MAIN(TestGeometryString)
#include "tst_geometrystring.moc"
