// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/singleapplication/singleinstancepeer.h"
#include "tests/common/testenvironment.h"
#include "tests/common/toolrun.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>

namespace {

// What the tool counts as its running instance: the same program for the same user.
QString toolId()
{
    return SingleInstancePeer::defaultId(
        QFileInfo(QStringLiteral(KIVO_ADMIN_WINPROPS)).canonicalFilePath());
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void helpListsOptionsInOrder();
    void runsThatEndAtOnce_data();
    void runsThatEndAtOnce();
    void secondStartRaisesRunningInstance_data();
    void secondStartRaisesRunningInstance();
    void secondStartEndsWhenRunningInstanceDoesNotAnswer();
    void listingRunsBesideRunningInstance();
};

void TestStartup::helpListsOptionsInOrder()
{
    const ToolRun run = runTool({ QStringLiteral("--help") });
    QCOMPARE(run.exitCode, 0);
    // Long descriptions wrap, so compare with the line breaks and padding taken out.
    const QString text = run.out.simplified();
    const QStringList expected {
        QStringLiteral("Edits the window properties of programs: how the desktop decorates and "
                       "manages their windows."),
        QStringLiteral("-h, --help"),
        QStringLiteral("-v, --version"),
        QStringLiteral("--add <win record> Add properties for window defined by <win record>"),
        QStringLiteral("--delete <win name> Delete properties for window <win name>"),
        QStringLiteral("--edit <win name> Edit properties for window <win name>"),
        QStringLiteral("--quiet Don't ask questions"),
        QStringLiteral("--list Print"),
        QStringLiteral("--show <win name> Print"),
        QStringLiteral("--export <file> Write"),
        QStringLiteral("--import <file> Add"),
        QStringLiteral("See kivo-admin-winprops(1) for the window record syntax and the exit "
                       "statuses."),
    };
    int previous = -1;
    for (const QString &option : expected) {
        const int at = text.indexOf(option);
        QVERIFY2(at > previous,
                 qPrintable(option + QStringLiteral(" not in order in:\n") + run.out));
        previous = at;
    }
    QVERIFY(run.out.endsWith(QStringLiteral("exit statuses.\n")));
}

void TestStartup::runsThatEndAtOnce_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("version") << QStringList { QStringLiteral("--version") } << 0
                             << QStringLiteral("kivo-admin-winprops " KIVO_PACKAGE_VERSION "\n")
                             << QString();
    const auto parserSays = [](const char *message) -> QString {
        return QStringLiteral("kivo-admin-winprops: ") + QLatin1String(message)
            + QStringLiteral(" Try \"kivo-admin-winprops --help\" for the options.\n");
    };
    QTest::newRow("unknown option") << QStringList { QStringLiteral("--bogus") } << 1 << QString()
                                    << parserSays("Unknown option 'bogus'.");
    QTest::newRow("add without record") << QStringList { QStringLiteral("--add") } << 1 << QString()
                                        << parserSays("Missing value after '--add'.");
    QTest::newRow("short form of delete")
        << QStringList { QStringLiteral("-d"), QStringLiteral("x") } << 1 << QString()
        << parserSays("Unknown option 'd'.");
    // A script cannot be told otherwise that part of its command line went unused.
    QTest::newRow("positional argument when quiet")
        << QStringList { QStringLiteral("--quiet"), QStringLiteral("stray") } << 2 << QString()
        << QStringLiteral("kivo-admin-winprops: unexpected argument \"stray\"\n");
}

void TestStartup::runsThatEndAtOnce()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const ToolRun run = runTool(arguments);
    QCOMPARE(run.exitCode, status);
    QCOMPARE(run.out, out);
    QCOMPARE(run.err, err);
}

void TestStartup::secondStartRaisesRunningInstance_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no options") << QStringList() << QString();
    QTest::newRow("help") << QStringList { QStringLiteral("--help") } << QString();
    QTest::newRow("version") << QStringList { QStringLiteral("--version") } << QString();
    QTest::newRow("unknown option") << QStringList { QStringLiteral("--bogus") } << QString();
    // A quiet run changes nothing beside the dialog, whose next save would undo it: it raises the
    // dialog as any second start, and says so.
    QTest::newRow("quiet delete")
        << QStringList { QStringLiteral("--quiet"), QStringLiteral("--delete"),
                         QStringLiteral("xterm") }
        << QStringLiteral("kivo-admin-winprops: the window properties are open in the dialog; "
                          "nothing was changed\n");
}

// The test process plays the running instance here; the real dialog as first instance is
// tested together with the dialog.
void TestStartup::secondStartRaisesRunningInstance()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    SingleInstancePeer running(toolId());
    QVERIFY(!running.isClient());
    QSignalSpy received(&running, &SingleInstancePeer::messageReceived);

    const ToolRun run = runTool(arguments);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, message);
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("raise"));
}

void TestStartup::secondStartEndsWhenRunningInstanceDoesNotAnswer()
{
    // An instance that holds the lock but does not listen, like one that hangs at start.
    QLockFile lock(SingleInstancePeer::lockFilePath(toolId()));
    QVERIFY(lock.tryLock(0));
    QElapsedTimer elapsed;
    elapsed.start();

    const ToolRun run = runTool({ QStringLiteral("--version") });
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, QString());
    QVERIFY(elapsed.elapsed() >= 5000);
}

// Listings change nothing, so scripts and shell completion may run them while the dialog is open.
void TestStartup::listingRunsBesideRunningInstance()
{
    SingleInstancePeer running(toolId());
    QVERIFY(!running.isClient());
    QSignalSpy received(&running, &SingleInstancePeer::messageReceived);
    // No service runs: the listing fails on that, not on the running instance.
    const ToolRun run = runTool({ QStringLiteral("--list") });
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(QStringLiteral("could not be read from the service")),
             qPrintable(run.err));
    QCOMPARE(received.count(), 0);
}

KIVO_TEST_MAIN(TestStartup)

#include "tst_startup.moc"
