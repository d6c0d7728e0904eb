// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "geometrystring.h"
#include "testenvironment.h"

class TestGeometryString : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("bottom");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("plain") << "640x480+0+0" << true << 640 << 480 << false << 0 << false << 0
                               << "640x480+0+0";
        QTest::newRow("right edge") << "800x600-10+20" << true << 800 << 600 << true << 10 << false
                                    << 20 << "800x600-10+20";
        QTest::newRow("negative x") << "640x480+-5-20" << true << 640 << 480 << false << -5 << true
                                    << 20 << "640x480+-5-20";
        QTest::newRow("leading zeros")
            << "0640x0480+007+0" << true << 640 << 480 << false << 7 << false << 0 << "640x480+7+0";
        QTest::newRow("width above int") << "3000000000x1+0+0" << true << int(3000000000u) << 1
                                         << false << 0 << false << 0 << "3000000000x1+0+0";
        QTest::newRow("height at uint limit") << "1x04294967295+0+0" << true << 1 << -1 << false
                                              << 0 << false << 0 << "1x4294967295+0+0";
        QTest::newRow("width above uint")
            << "4294967296x1+0+0" << true << 0 << 1 << false << 0 << false << 0 << "0x1+0+0";
        QTest::newRow("offset overflow") << "1x1+2147483648-99999999999" << true << 1 << 1 << false
                                         << 0 << true << 0 << "1x1+0-0";
        QTest::newRow("offset limits")
            << "1x1+2147483647--2147483648" << true << 1 << 1 << false << 2147483647 << true
            << int(-2147483648LL) << "1x1+2147483647--2147483648";
        QTest::newRow("empty") << "" << false << 0 << 0 << false << 0 << false << 0 << "";
        QTest::newRow("no offsets")
            << "640x480" << false << 0 << 0 << false << 0 << false << 0 << "";
        QTest::newRow("capital X")
            << "640X480+0+0" << false << 0 << 0 << false << 0 << false << 0 << "";
        QTest::newRow("leading space")
            << " 640x480+0+0" << false << 0 << 0 << false << 0 << false << 0 << "";
        QTest::newRow("trailing newline") << "640x480+0+0\n"
                                          << false << 0 << 0 << false << 0 << false << 0 << "";
        QTest::newRow("plus before offset")
            << "640x480++5+0" << false << 0 << 0 << false << 0 << false << 0 << "";
        QTest::newRow("other digits") << QString::fromUtf8("٦٤٠x480+0+0") << false << 0 << 0
                                      << false << 0 << false << 0 << "";
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, matches);
        const std::optional<GeometrySpec> geometry = parseGeometryString(text);
        QCOMPARE(geometry.has_value(), matches);
        if (!matches)
            return;
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, right);
        QFETCH(int, x);
        QFETCH(bool, bottom);
        QFETCH(int, y);
        QFETCH(QString, canonical);
        QCOMPARE(geometry->width, width);
        QCOMPARE(geometry->height, height);
        QCOMPARE(geometry->fromRightEdge, right);
        QCOMPARE(geometry->x, x);
        QCOMPARE(geometry->fromBottomEdge, bottom);
        QCOMPARE(geometry->y, y);
        QCOMPARE(geometryStringOf(*geometry), canonical);
        // What is composed reads back to the same geometry.
        QVERIFY(parseGeometryString(canonical) == geometry);
    }
};

KIVO_TEST_MAIN(TestGeometryString)
#include "tst_geometrystring.moc"
