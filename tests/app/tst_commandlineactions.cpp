// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/commandline.h"
#include "app/commandlineactions.h"
#include "app/display.h"
#include "app/listingactions.h"
#include "platform/winprops/recordlines.h"
#include "tests/common/fakebackend.h"
#include "tests/common/testenvironment.h"
#include "tests/dialog/dialogfixture.h"
#include "tests/robustness/hostilerecords.h"

#include <QCommandLineParser>
#include <QTemporaryFile>

// The dialog's side of the command line: the interactive path, driven in-process.
class TestCommandLineActions : public QObject
{
    Q_OBJECT

private:
    static QStringList runInteractively(DialogFixture &f, const QStringList &arguments)
    {
        QCommandLineParser parser;
        const CommandLineOptions options;
        options.addTo(parser);
        if (!parser.parse(QStringList(QStringLiteral("kivo-admin-winprops")) + arguments))
            qFatal("%s", qPrintable(parser.errorText()));
        const CommandLineActions actions(parser, options);
        f.makeDialog();
        actions.runInteractively(*f.dialog);
        return actions.problems();
    }

private Q_SLOTS:
    void deleteAddEditInThatOrder()
    {
        DialogFixture f({ "a;ontop", "b;sticky", "c;no_title" });
        f.answers.thenClick(QMessageBox::Yes);
        const QStringList problems
            = runInteractively(f, { "--edit", "b", "--add", "a;no_border", "--delete", "a" });
        QVERIFY(problems.isEmpty());
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.answers.seen(),
                 QStringList("Deleting properties|Are you sure you want to delete window "
                             "propeties for \"a\"?"));
        QCOMPARE(f.names(), QStringList({ "b", "c", "a" }));
        QCOMPARE(f.list()->currentString(), QStringLiteral("b"));
        QVERIFY(f.checkBox("stickyCB")->isChecked());
        QVERIFY(f.isChanged());
        // Nothing reaches the service before the user saves.
        QCOMPARE(f.stored(), QStringList({ "a;ontop", "b;sticky", "c;no_title" }));
        f.button(QDialogButtonBox::Ok)->click();
        QCOMPARE(f.stored(), QStringList({ "b;sticky", "c;no_title", "a;no_border" }));
    }

    // Every --delete and --add counts, deletions first, each kind in the order given; an argument
    // of no option is only warned about when the dialog is shown.
    void actsOnEveryValue_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("strays");
        QTest::newRow("several of each")
            << QStringList(
                   { "--add", "n;ontop", "--delete", "c", "--add", "m;sticky", "--delete", "a" })
            << QStringList({ "c", "a" }) << QStringList({ "b", "n", "m" }) << QStringList();
        QTest::newRow("stray argument")
            << QStringList({ "--add", "n", "ontop" }) << QStringList()
            << QStringList({ "a", "b", "c", "n" }) << QStringList("ontop");
    }

    void actsOnEveryValue()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, questions);
        QFETCH(QStringList, names);
        QFETCH(QStringList, strays);
        DialogFixture f({ "a;ontop", "b;sticky", "c;no_title" });
        QStringList expectedSeen;
        for (const QString &name : questions) {
            f.answers.thenClick(QMessageBox::Yes);
            expectedSeen.append(
                QStringLiteral("Deleting properties|Are you sure you want to delete window "
                               "propeties for \"%1\"?")
                    .arg(name));
        }
        QCommandLineParser parser;
        const CommandLineOptions options;
        options.addTo(parser);
        QVERIFY(parser.parse(QStringList(QStringLiteral("kivo-admin-winprops")) + arguments));
        const CommandLineActions actions(parser, options);
        f.makeDialog();
        actions.runInteractively(*f.dialog);
        QVERIFY(actions.problems().isEmpty());
        QCOMPARE(actions.strayArguments(), strays);
        QCOMPARE(f.answers.seen(), expectedSeen);
        QCOMPARE(f.names(), names);
    }

    void invalidRecordIsExplained_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("shown"); // the message box, "title|text"; FILE: the file
        QTest::newRow("--add") << "--add"
                               << "Invalid window record|\"colour\" is not a window property.";
        QTest::newRow("--import")
            << "--import"
            << "Nothing imported|FILE, line 2: \"colour\" is not a window property.";
    }

    void invalidRecordIsExplained()
    {
        QFETCH(QString, option);
        QFETCH(QString, shown);
        DialogFixture f({ "a;ontop" });
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write("m;ontop\nn;colour=red\n");
        file.close();
        const QString value
            = option == QLatin1String("--add") ? QStringLiteral("n;colour=red") : file.fileName();
        f.answers.thenClick(QMessageBox::Ok);
        const QStringList problems = runInteractively(f, { option, value });
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().contains("\"colour\" is not a window property"),
                 qPrintable(problems.first()));
        QCOMPARE(f.answers.seen(), QStringList(shown.replace("FILE", file.fileName())));
        QCOMPARE(f.names(), QStringList("a"));
        QVERIFY(!f.isChanged());
    }

    void quietRunBuildsNoWidget_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("fetchError");
        QTest::addColumn<QString>("storeError");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("stores");
        const QStringList stored = { "a;ontop", "e" };
        // e, which sets nothing, was not touched: it goes back as it came.
        QTest::newRow("delete") << QStringList({ "--delete", "a" }) << ""
                                << "" << 0 << QStringList("e") << 1;
        QTest::newRow("delete missing") << QStringList({ "--delete", "x" }) << ""
                                        << "" << 0 << stored << 0;
        QTest::newRow("add replaces") << QStringList({ "--add", "a;sticky" }) << ""
                                      << "" << 0 << QStringList({ "a;sticky", "e" }) << 1;
        QTest::newRow("add appends")
            << QStringList({ "--add", "n;geometry=640x480+0+0" }) << ""
            << "" << 0 << QStringList({ "a;ontop", "e", "n;geometry=640x480+0+0" }) << 1;
        QTest::newRow("invalid record") << QStringList({ "--add", "n;shadow=400" }) << ""
                                        << "" << 2 << stored << 0;
        QTest::newRow("delete, case differs") << QStringList({ "--delete", "A" }) << ""
                                              << "" << 0 << stored << 0;
        QTest::newRow("add that sets nothing") << QStringList({ "--add", "a" }) << ""
                                               << "" << 0 << QStringList("e") << 1;
        QTest::newRow("several of each")
            << QStringList({ "--add", "n;ontop", "--delete", "a", "--add", "a;no_title", "--delete",
                             "e", "--add", "n" })
            << ""
            << "" << 0 << QStringList("a;no_title") << 1;
        QTest::newRow("unread service") << QStringList({ "--delete", "a" }) << "no bus"
                                        << "" << 3 << stored << 0;
        QTest::newRow("refused store") << QStringList({ "--add", "n;ontop" }) << ""
                                       << "full" << 3 << stored << 1;
        // Nothing to change, nothing sent.
        QTest::newRow("add as stored") << QStringList({ "--add", "a;ontop" }) << ""
                                       << "" << 0 << stored << 0;
        const QString asStored = TestEnvironment::root() + QStringLiteral("/as-stored");
        QFile import(asStored);
        if (!import.open(QIODevice::WriteOnly) || import.write("a;ontop\n") != 8)
            qFatal("cannot write %s", qPrintable(asStored));
        QTest::newRow("import as stored") << QStringList({ "--import", asStored }) << ""
                                          << "" << 0 << stored << 0;
    }

    // The quiet path acts on the service's records directly: no dialog, no question.
    void quietRunBuildsNoWidget()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, after);
        QFETCH(int, stores);
        FakeBackend backend({ "a;ontop", "e" });
        QFETCH(QString, fetchError);
        QFETCH(QString, storeError);
        backend.fetchError = fetchError.isEmpty() ? QString() : fetchError;
        backend.storeError = storeError.isEmpty() ? QString() : storeError;
        QCommandLineParser parser;
        const CommandLineOptions options;
        options.addTo(parser);
        QVERIFY(parser.parse(QStringList({ "kivo-admin-winprops", "--quiet" }) + arguments));
        const CommandLineActions actions(parser, options);
        QCOMPARE(actions.runQuietly(backend), status);
        QCOMPARE(backend.storedTexts(), after);
        QCOMPARE(backend.stores, stores);
        QVERIFY(QApplication::allWidgets().isEmpty());
    }

    // Another client stores between the quiet run's read and its store: the run joins its
    // changes with what that client stored, and loses nothing of it.
    void quietRunKeepsChangesMadeElsewhere()
    {
        FakeBackend backend({ "a;ontop", "e" });
        backend.beforeNextStore = [&backend] {
            backend.storeElsewhere({ "a;ontop", "e", "o;sticky" });
        };
        QCommandLineParser parser;
        const CommandLineOptions options;
        options.addTo(parser);
        QVERIFY(parser.parse(
            { "kivo-admin-winprops", "--quiet", "--delete", "a", "--add", "n;ontop" }));
        QCOMPARE(CommandLineActions(parser, options).runQuietly(backend), 0);
        QCOMPARE(backend.storedTexts(), QStringList({ "e", "o;sticky", "n;ontop" }));
        QCOMPARE(backend.stores, 2);
    }

    void importOpensChangedAndUnsaved()
    {
        DialogFixture f({ "a;ontop", "b;sticky" });
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write("b;no_border\nn;ontop\n");
        file.close();
        const QStringList problems = runInteractively(f, { "--import", file.fileName() });
        QVERIFY(problems.isEmpty());
        QVERIFY(f.answers.seen().isEmpty());
        QCOMPARE(f.names(), QStringList({ "a", "b", "n" }));
        QCOMPARE(f.list()->currentString(), QStringLiteral("b"));
        QVERIFY(f.checkBox("no_borderCB")->isChecked());
        QVERIFY(f.isChanged());
        QCOMPARE(f.stored(), QStringList({ "a;ontop", "b;sticky" }));
    }

    // Whatever a service holds, a listing reads back with --import: what no record line can
    // hold is left out, and said.
    void listingReadsBack_data()
    {
        QTest::addColumn<WinPropsList>("held");
        QTest::addColumn<int>("leftOut");
        WinProps unnamed(QStringLiteral("x;ontop"));
        unnamed.setWinName(QString());
        const WinProps once(QStringLiteral("once;sticky"));
        QTest::newRow("an entry without a name") << WinPropsList({ once, unnamed }) << 1;
        QTest::newRow("two entries of one name")
            << WinPropsList({ once, WinProps(QStringLiteral("once;no_title")) }) << 1;
        for (const QString &mode : Hostile::modes()) {
            WinPropsList served;
            for (const WinProps &props : Hostile::records(mode))
                served.append(Hostile::asDelivered(props));
            QTest::newRow(qPrintable(QStringLiteral("served as ") + mode)) << served << -1;
        }
    }

    void listingReadsBack()
    {
        QFETCH(WinPropsList, held);
        QFETCH(int, leftOut);
        QStringList reasons;
        const WinPropsList listed = listableRecords(held, reasons);
        const RecordLinesRead read = readRecordLines(recordLines(listed));
        QCOMPARE(read.error, QString());
        QCOMPARE(read.records, listed);
        QCOMPARE(listed.size() + reasons.size(), held.size());
        if (leftOut >= 0)
            QCOMPARE(reasons.size(), leftOut);
    }

    void displayIsLookedFor_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<bool>("found");
        QTest::newRow("nothing") << QStringList() << QStringList() << false;
        QTest::newRow("X11 not answering")
            << QStringList() << QStringList("DISPLAY=:4093") << false;
        QTest::newRow("Wayland") << QStringList()
                                 << QStringList({ "QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=w" })
                                 << true;
        QTest::newRow("Wayland missing, X11 next")
            << QStringList() << QStringList({ "QT_QPA_PLATFORM=wayland;xcb", "DISPLAY=:4093" })
            << false;
        QTest::newRow("offscreen")
            << QStringList() << QStringList("QT_QPA_PLATFORM=offscreen") << true;
        QTest::newRow("argument before environment")
            << QStringList({ "-platform", "xcb" }) << QStringList("QT_QPA_PLATFORM=offscreen")
            << false;
    }

    void displayIsLookedFor()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(bool, found);
        QProcessEnvironment variables;
        for (const QString &variable : environment)
            variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
        QCOMPARE(canShowWindows(QStringList("kivo-admin-winprops") + arguments, variables), found);
    }
};

KIVO_TEST_MAIN_WITHOUT_BUS(TestCommandLineActions)
#include "tst_commandlineactions.moc"
