// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon/applier/iconimages.h"
#include "tests/common/filetestutil.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class TestIconImages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What is no regular image file of a sensible size is not read, and never waited for.
    void readsOnlySensibleImageFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("loads");
        QTest::newRow("icon of 64 pixels") << "small" << true;
        QTest::newRow("named pipe without a writer") << "pipe" << false;
        QTest::newRow("25 million pixels in a small PNG") << "huge" << false;
        QTest::newRow("folder") << "folder" << false;
        // Decoding SVG text needs fonts, which a process without a GUI application lacks: such
        // images are refused, never decoded, whatever the file's name says.
        QTest::newRow("SVG with text") << "svg" << false;
        QTest::newRow("SVG with text, named .png") << "svg as png" << false;
        QTest::newRow("theme name of an SVG icon") << "theme svg" << false;
        QTest::newRow("theme name of a PNG icon") << "theme png" << true;
    }

    void readsOnlySensibleImageFiles()
    {
        QFETCH(QString, kind);
        QFETCH(bool, loads);
        QTemporaryDir folder;
        QString path = folder.filePath(kind + QStringLiteral(".png"));
        if (kind.startsWith(QLatin1String("theme"))) {
            // Icons of a theme in a data folder of the user's own.
            qputenv("XDG_DATA_HOME", QFile::encodeName(folder.path()));
            const bool svg = kind.endsWith(QLatin1String("svg"));
            const QString icons
                = folder.filePath(svg ? "icons/hicolor/scalable/apps" : "icons/hicolor/48x48/apps");
            QVERIFY(QDir().mkpath(icons));
            path = icons + (svg ? "/kivo-test-icon.svg" : "/kivo-test-icon.png");
        }
        if (kind.contains(QLatin1String("svg"))) {
            QFile svg(path);
            QVERIFY(svg.open(QIODevice::WriteOnly));
            svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='48' height='48'>"
                      "<text x='0' y='40' font-size='0'>x</text></svg>");
        } else if (kind == QLatin1String("pipe") || kind == QLatin1String("folder")) {
            QVERIFY(makeFileOfKind(path, kind));
        } else {
            const int side = kind == QLatin1String("huge") ? 5000 : 64;
            QImage image(side, side, QImage::Format_Grayscale8);
            image.fill(0);
            QVERIFY(image.save(path, "PNG"));
        }
        const QString named
            = kind.startsWith(QLatin1String("theme")) ? QStringLiteral("kivo-test-icon") : path;
        QStringList unloaded;
        const QVector<quint32> icon = IconImages().netWmIcon(named, QString(), &unloaded);
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(icon.isEmpty(), !loads);
        QCOMPARE(unloaded, loads ? QStringList() : QStringList(named));
    }
};

QTEST_GUILESS_MAIN(TestIconImages)
#include "tst_iconimages.moc"
