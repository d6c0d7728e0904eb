// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "serviceprocess.h"
#include "testenvironment.h"
#include "toolrun.h"

namespace {
const QStringList stored = { "a;ontop", "b;sticky", "c;no_title" };

} // namespace

// The quiet path of the real executable against the stand-in service.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quietActions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("add") << QStringList({ "--quiet", "--add", "n;geometry=640x480+0+0" })
                             << (stored + QStringList("n;geometry=640x480+0+0"));
        QTest::newRow("add replaces") << QStringList({ "--quiet", "--add", "b;no_border" })
                                      << QStringList({ "a;ontop", "b;no_border", "c;no_title" });
        // Deleting comes first whatever the order given, so the new b survives.
        QTest::newRow("add and delete")
            << QStringList({ "--add", "b;no_border", "--quiet", "--delete", "b" })
            << QStringList({ "a;ontop", "c;no_title", "b;no_border" });
        QTest::newRow("delete") << QStringList({ "--quiet", "--delete", "a" })
                                << QStringList({ "b;sticky", "c;no_title" });
        QTest::newRow("delete missing") << QStringList({ "--quiet", "--delete", "x" }) << stored;
        QTest::newRow("delete other case") << QStringList({ "--quiet", "--delete", "A" }) << stored;
        QTest::newRow("edit") << QStringList({ "--quiet", "--edit", "x" }) << stored;
        QTest::newRow("empty edit") << QStringList({ "--quiet", "--edit", "" }) << stored;
        QTest::newRow("nothing") << QStringList("--quiet") << stored;
        QTest::newRow("record that sets nothing")
            << QStringList({ "--quiet", "--add", "n" }) << stored;
    }

    void quietActions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, after);
        ServiceProcess service;
        service.writeStorage(stored);
        QVERIFY(service.start());
        const ToolRun run = runTool(arguments);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(service.readStorage(), after);
    }

    void refusedValues_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("invalid record")
            << QStringList({ "--quiet", "--delete", "a", "--add", "n;shadow=200" })
            << "kivo-admin-winprops: invalid window record \"n;shadow=200\": \"200\" is not a "
               "value of \"shadow\"";
        QTest::newRow("empty record") << QStringList({ "--quiet", "--add", "" })
                                      << "kivo-admin-winprops: invalid window record \"\": The "
                                         "window name is empty.";
        QTest::newRow("empty delete") << QStringList({ "--quiet", "--delete", "" })
                                      << "kivo-admin-winprops: the window name given to --delete "
                                         "is empty";
    }

    void refusedValues()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        ServiceProcess service;
        service.writeStorage(stored);
        QVERIFY(service.start());
        const ToolRun run = runTool(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(service.readStorage(), stored);
    }

    void absentService_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("add") << QStringList({ "--quiet", "--add", "n;ontop" }) << 3;
        QTest::newRow("delete") << QStringList({ "--quiet", "--delete", "a" }) << 3;
        QTest::newRow("nothing to do") << QStringList("--quiet") << 0;
        QTest::newRow("edit only") << QStringList({ "--quiet", "--edit", "a" }) << 0;
    }

    void absentService()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        ServiceProcess service;
        service.writeStorage(stored);
        const ToolRun run = runTool(arguments);
        QCOMPARE(run.exitCode, status);
        if (status == 3)
            QVERIFY2(run.err.startsWith("kivo-admin-winprops: the window properties could not be "
                                        "read from the service: "),
                     qPrintable(run.err));
        else
            QCOMPARE(run.err, QString());
        QVERIFY(service.start());
        QCOMPARE(service.readStorage(), stored);
    }
};

KIVO_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
