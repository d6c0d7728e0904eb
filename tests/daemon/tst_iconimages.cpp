// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon/applier/iconimages.h"
#include "tests/common/filetestutil.h"

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
    }

    void readsOnlySensibleImageFiles()
    {
        QFETCH(QString, kind);
        QFETCH(bool, loads);
        QTemporaryDir folder;
        const QString path = folder.filePath(kind + QStringLiteral(".png"));
        if (kind == QLatin1String("pipe") || kind == QLatin1String("folder")) {
            QVERIFY(makeFileOfKind(path, kind));
        } else {
            const int side = kind == QLatin1String("small") ? 64 : 5000;
            QImage image(side, side, QImage::Format_Grayscale8);
            image.fill(0);
            QVERIFY(image.save(path, "PNG"));
        }
        QStringList unloaded;
        const QVector<quint32> icon = IconImages().netWmIcon(path, QString(), &unloaded);
        QCOMPARE(icon.isEmpty(), !loads);
        QCOMPARE(unloaded, loads ? QStringList() : QStringList(path));
    }
};

QTEST_GUILESS_MAIN(TestIconImages)
#include "tst_iconimages.moc"
