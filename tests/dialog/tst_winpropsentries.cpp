// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/common/testenvironment.h"
#include "tests/dialog/dialogfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

namespace {
const QString addTitle = QStringLiteral("Add new window properties|Enter program name or window "
                                        "class:");
const QString renameTitle = QStringLiteral("Renaming window id|Enter new program name or window "
                                           "class:");
const QString emptyWarning = QStringLiteral("Empty window name|Please enter non-empty window name");

QString existsQuestion(const QString &name)
{
    return QStringLiteral("Properties are already exist|Properties for \"%1\" are already exist. "
                          "Do you want to set new window name?")
        .arg(name);
}
} // namespace

class TestWinPropsEntries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addAcceptsNamesAsTyped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("letter case differs") << "abc";
        QTest::newRow("two spaces") << "  ";
        QTest::newRow("markup") << "<i>x</i>";
    }

    void addAcceptsNamesAsTyped()
    {
        QFETCH(QString, name);
        DialogFixture f({ "Abc;ontop", "other;sticky" });
        f.makeDialog().show();
        f.answers.thenType(name);
        f.child<QPushButton>("addButton")->click();
        QCOMPARE(f.answers.seen(), QStringList(addTitle));
        QCOMPARE(f.answers.fieldTexts(), QStringList(QString()));
        QCOMPARE(f.names(), QStringList({ "Abc", "other", name }));
        QCOMPARE(f.list()->currentString(), name);
        QVERIFY(!f.checkBox("ontopCB")->isChecked());
        QVERIFY(f.isChanged());
    }

    void addCancelledChangesNothing()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        f.answers.thenCancel();
        f.child<QPushButton>("addButton")->click();
        QCOMPARE(f.names(), QStringList("a"));
        QVERIFY(!f.isChanged());
    }

    void addPromptLoop_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("empty, then a name")
            << "" << QMessageBox::Ok << QStringList({ addTitle, emptyWarning, addTitle })
            << QStringList({ "", "" }) << QStringList({ "a", "b" });
        QTest::newRow("existing, Yes, then a name")
            << "a" << QMessageBox::Yes << QStringList({ addTitle, existsQuestion("a"), addTitle })
            << QStringList({ "", "a" }) << QStringList({ "a", "b" });
    }

    void addPromptLoop()
    {
        QFETCH(QString, first);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, seen);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, names);
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        f.answers.thenType(first);
        f.answers.thenClick(answer);
        f.answers.thenType(QStringLiteral("b"));
        f.child<QPushButton>("addButton")->click();
        QCOMPARE(f.answers.seen(), seen);
        QCOMPARE(f.answers.fieldTexts(), fields);
        QCOMPARE(f.names(), names);
    }

    void addExistingNoChangesNothing()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        f.answers.thenType(QStringLiteral("a"));
        f.answers.thenClick(QMessageBox::No);
        f.child<QPushButton>("addButton")->click();
        QCOMPARE(f.answers.seen().size(), 2);
        QCOMPARE(f.names(), QStringList("a"));
        QVERIFY(!f.isChanged());
    }

    void addKeepsPendingEditsOfTheCurrentRecord()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        f.checkBox("stickyCB")->click();
        f.answers.thenType(QStringLiteral("b"));
        f.child<QPushButton>("addButton")->click();
        f.list()->setCurrentString(QStringLiteral("a"));
        QVERIFY(f.checkBox("stickyCB")->isChecked());
    }

    void renameStartsWithCurrentName()
    {
        DialogFixture f({ "a;ontop", "b;sticky" });
        f.makeDialog().show();
        // Its own name is nothing to do, not a name that exists already.
        f.answers.thenType(QStringLiteral("a"));
        f.child<QPushButton>("renameButton")->click();
        QCOMPARE(f.answers.seen(), QStringList(renameTitle));
        QCOMPARE(f.answers.fieldTexts(), QStringList("a"));
        QCOMPARE(f.names(), QStringList({ "a", "b" }));
        QVERIFY(!f.isChanged());
    }

    void renameKeepsPositionAndPendingEdits()
    {
        DialogFixture f({ "a;ontop", "abc;sticky", "c;no_title" });
        f.makeDialog().show();
        f.list()->setCurrentString(QStringLiteral("abc"));
        f.checkBox("no_focusCB")->click();
        f.answers.thenType(QStringLiteral("xyz"));
        f.child<QPushButton>("renameButton")->click();
        QCOMPARE(f.names(), QStringList({ "a", "xyz", "c" }));
        QCOMPARE(f.list()->currentString(), QStringLiteral("xyz"));
        QVERIFY(f.checkBox("no_focusCB")->isChecked());
        QVERIFY(f.isChanged());
        f.list()->setCurrentString(QStringLiteral("a"));
        f.list()->setCurrentString(QStringLiteral("xyz"));
        QVERIFY(f.checkBox("no_focusCB")->isChecked());
        QVERIFY(f.checkBox("stickyCB")->isChecked());
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.stored(), QStringList({ "a;ontop", "xyz;sticky;no_focus", "c;no_title" }));
    }

    void deleteOnlyRecord()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        f.answers.thenClick(QMessageBox::Yes);
        f.child<QPushButton>("deleteButton")->click();
        QCOMPARE(f.answers.seen(),
                 QStringList("Deleting properties|Are you sure you want to delete window "
                             "propeties for \"a\"?"));
        QCOMPARE(f.list()->rowCount(), 0);
        QVERIFY(!f.showsEditor());
        QVERIFY(!f.child("renameButton")->isEnabled());
        QVERIFY(!f.child("deleteButton")->isEnabled());
        QVERIFY(f.isChanged());
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.stored(), QStringList());
    }

    // The row made current is one the filter shows, or none.
    void deleteMakesFirstRowCurrent_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("current");
        QTest::newRow("Yes") << "" << QMessageBox::Yes << QStringList({ "a", "c1" }) << "a";
        QTest::newRow("No") << "" << QMessageBox::No << QStringList({ "a", "b1", "c1" }) << "b1";
        QTest::newRow("Yes, the filter shows another")
            << "1" << QMessageBox::Yes << QStringList({ "a", "c1" }) << "c1";
        QTest::newRow("Yes, the filter hides the rest")
            << "b" << QMessageBox::Yes << QStringList({ "a", "c1" }) << "";
    }

    void deleteMakesFirstRowCurrent()
    {
        QFETCH(QString, filter);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, names);
        QFETCH(QString, current);
        DialogFixture f({ "a;ontop", "b1;sticky", "c1;no_title" });
        f.makeDialog().show();
        f.list()->setCurrentString(QStringLiteral("b1"));
        f.child<QLineEdit>("filterEdit")->setText(filter);
        f.answers.thenClick(answer);
        f.child<QPushButton>("deleteButton")->click();
        QCOMPARE(f.names(), names);
        QCOMPARE(f.list()->currentString(), current);
        QCOMPARE(f.showsEditor(), !current.isEmpty());
        QCOMPARE(f.isChanged(), answer == QMessageBox::Yes);
    }

    void addFromRecordOfExistingName_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("asked, No") << QMessageBox::No << false;
        QTest::newRow("asked, Yes") << QMessageBox::Yes << true;
    }

    void addFromRecordOfExistingName()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, replaced);
        DialogFixture f({ "a;ontop", "b;sticky", "c;no_title" });
        f.makeDialog();
        f.answers.thenClick(answer);
        f.dialog->addWinPropFromRecord(QStringLiteral("b;no_border"));
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.answers.seen(),
                 QStringList("Properties already set|Properties for \"b\" already set. Do you "
                             "want to rewrite them?"));
        QCOMPARE(f.list()->currentString(), QStringLiteral("b"));
        QCOMPARE(f.checkBox("no_borderCB")->isChecked(), replaced);
        QCOMPARE(f.checkBox("stickyCB")->isChecked(), !replaced);
        QCOMPARE(f.isChanged(), replaced);
        QCOMPARE(f.names(), QStringList({ "a", "b", "c" }));
    }

    void newNamesShowThroughTheFilter_data()
    {
        QTest::addColumn<bool>("renaming");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filterAfter");
        QTest::newRow("added, filtered out") << false << "gamma"
                                             << "";
        QTest::newRow("added, matching") << false << "Alpine"
                                         << "alp";
        QTest::newRow("renamed, filtered out") << true << "gamma"
                                               << "";
        QTest::newRow("renamed, matching") << true << "alps"
                                           << "alp";
    }

    // The filter hides no entry the user has just named; one that matches keeps it.
    void newNamesShowThroughTheFilter()
    {
        QFETCH(bool, renaming);
        QFETCH(QString, name);
        QFETCH(QString, filterAfter);
        DialogFixture f({ "alpha;ontop", "beta;sticky" });
        f.makeDialog().show();
        auto *filter = f.child<QLineEdit>("filterEdit");
        filter->setText(QStringLiteral("alp"));
        f.answers.thenType(name);
        f.child<QPushButton>(renaming ? "renameButton" : "addButton")->click();
        QCOMPARE(f.list()->currentString(), name);
        QCOMPARE(filter->text(), filterAfter);
        QVERIFY(!f.list()->isRowHidden(f.list()->currentRow()));
        QCOMPARE(f.list()->isRowHidden(f.names().indexOf(QStringLiteral("beta"))),
                 !filterAfter.isEmpty());
    }

    void addFromRecordAppends()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog();
        f.dialog->addWinPropFromRecord(QStringLiteral("n;geometry=640x480+0+0"));
        QCOMPARE(f.names(), QStringList({ "a", "n" }));
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.stored(), QStringList({ "a;ontop", "n;geometry=640x480+0+0" }));
    }

    void invalidRecordChangesNothing()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog();
        f.answers.thenClick(QMessageBox::Ok);
        f.dialog->addWinPropFromRecord(QStringLiteral("n;shadow=400"));
        QCOMPARE(f.answers.seen().size(), 1);
        QVERIFY(f.answers.seen().first().startsWith("Invalid window record|\"400\""));
        QCOMPARE(f.names(), QStringList("a"));
        QVERIFY(!f.isChanged());
    }

    void deleteByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("asked, Yes") << "b" << QMessageBox::Yes << QStringList({ "a", "c" });
        QTest::newRow("asked, No") << "b" << QMessageBox::No << QStringList({ "a", "b", "c" });
        QTest::newRow("missing") << "x" << QMessageBox::NoButton << QStringList({ "a", "b", "c" });
        QTest::newRow("case differs")
            << "B" << QMessageBox::NoButton << QStringList({ "a", "b", "c" });
    }

    void deleteByName()
    {
        QFETCH(QString, name);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, names);
        DialogFixture f({ "a;ontop", "b;sticky", "c;no_title" });
        f.makeDialog();
        if (answer != QMessageBox::NoButton)
            f.answers.thenClick(answer);
        f.dialog->deleteWinPropByName(name);
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.names(), names);
        QCOMPARE(f.isChanged(), names.size() == 2);
        QVERIFY(f.answers.unexpected().isEmpty());
    }

    void deleteByNameKeepsPendingEdits()
    {
        DialogFixture f({ "a;ontop", "b;sticky" });
        f.makeDialog().show();
        f.checkBox("no_titleCB")->click();
        f.answers.thenClick(QMessageBox::Yes);
        f.dialog->deleteWinPropByName(QStringLiteral("b"));
        f.button(QDialogButtonBox::Apply)->click();
        QVERIFY(f.answers.allAnswered());
        QCOMPARE(f.stored(), QStringList("a;no_title;ontop"));
    }

    void editByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("current");
        QTest::newRow("existing") << "b" << QMessageBox::NoButton << QStringList({ "a", "b" })
                                  << "b";
        QTest::newRow("missing, Yes")
            << "n" << QMessageBox::Yes << QStringList({ "a", "b", "n" }) << "n";
        QTest::newRow("missing, No") << "n" << QMessageBox::No << QStringList({ "a", "b" }) << "a";
    }

    void editByName()
    {
        QFETCH(QString, name);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, names);
        QFETCH(QString, current);
        DialogFixture f({ "a;ontop", "b;sticky" });
        f.makeDialog().show();
        f.checkBox("no_titleCB")->click();
        if (answer != QMessageBox::NoButton)
            f.answers.thenClick(answer);
        f.dialog->editWinPropByName(name);
        if (answer != QMessageBox::NoButton)
            QCOMPARE(f.answers.seen(),
                     QStringList("Missing properties|There are no setted window properties for "
                                 "\"n\". Do you want to create them?"));
        QCOMPARE(f.names(), names);
        QCOMPARE(f.list()->currentString(), current);
        f.list()->setCurrentString(QStringLiteral("a"));
        QVERIFY(f.checkBox("no_titleCB")->isChecked());
    }

    void emptyNamesFromTheCommandLineAreRefused_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::newRow("delete") << false;
        QTest::newRow("edit") << true;
    }

    void emptyNamesFromTheCommandLineAreRefused()
    {
        QFETCH(bool, edit);
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        f.answers.thenClick(QMessageBox::Ok);
        if (edit)
            f.dialog->editWinPropByName(QString());
        else
            f.dialog->deleteWinPropByName(QString());
        QCOMPARE(f.answers.seen(),
                 QStringList("Empty window name|The window name given on the command line is "
                             "empty."));
        QCOMPARE(f.names(), QStringList("a"));
        QVERIFY(!f.isChanged());
    }

    // The dialog finds records by name through an index; after records before a row were
    // removed, renamed or erased, every row must still show its own record.
    void rowsKeepTheirRecordsAfterChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("checkBoxes");
        QTest::newRow("delete") << "delete" << QStringList { "b", "c", "d" }
                                << QStringList { "stickyCB", "no_titleCB", "no_borderCB" };
        QTest::newRow("rename") << "rename" << QStringList { "z", "b", "c", "d" }
                                << QStringList { "ontopCB", "stickyCB", "no_titleCB",
                                                 "no_borderCB" };
        QTest::newRow("save erasing") << "erase" << QStringList { "a", "c", "d" }
                                      << QStringList { "ontopCB", "no_titleCB", "no_borderCB" };
    }

    void rowsKeepTheirRecordsAfterChanges()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, names);
        QFETCH(QStringList, checkBoxes);
        DialogFixture f({ "a;ontop", "b;sticky", "c;no_title", "d;no_border" });
        f.makeDialog().show();
        for (const char *name : { "d", "c", "b", "a" })
            f.list()->setCurrentString(QLatin1String(name));
        if (change == QLatin1String("delete")) {
            f.answers.thenClick(QMessageBox::Yes);
            f.child<QPushButton>("deleteButton")->click();
        } else if (change == QLatin1String("rename")) {
            f.answers.thenType(QStringLiteral("z"));
            f.child<QPushButton>("renameButton")->click();
        } else {
            f.list()->setCurrentString(QStringLiteral("b"));
            f.checkBox("stickyCB")->click();
            f.answers.thenClick(QMessageBox::Yes);
            f.button(QDialogButtonBox::Apply)->click();
        }
        QCOMPARE(f.names(), names);
        const QStringList all = { "ontopCB", "stickyCB", "no_titleCB", "no_borderCB" };
        for (int i = names.size() - 1; i >= 0; --i) {
            f.list()->setCurrentString(names.at(i));
            for (const QString &box : all)
                QCOMPARE(f.checkBox(qPrintable(box))->isChecked(), box == checkBoxes.at(i));
        }
    }
};

KIVO_TEST_MAIN_WITHOUT_BUS(TestWinPropsEntries)
#include "tst_winpropsentries.moc"
