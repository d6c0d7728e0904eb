// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/common/testenvironment.h"
#include "tests/dialog/dialogfixture.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>

namespace {
using Change = std::function<void(DialogFixture &)>;
const QStringList threeRecords = { "alpha;no_title", "beta;ontop", "gamma;shadow=40" };
const QString unsavedTitle = QStringLiteral("Unsaved changes");
} // namespace

Q_DECLARE_METATYPE(Change)

class TestWinPropsDialog : public QObject
{
    Q_OBJECT

    // The interface of widget among the descendants of from, found through the children each
    // interface reports.
    static QAccessibleInterface *findAccessible(QAccessibleInterface *from, QWidget *widget)
    {
        if (!from || from->object() == widget)
            return from;
        for (int i = 0; i < from->childCount(); ++i) {
            if (QAccessibleInterface *found = findAccessible(from->child(i), widget))
                return found;
        }
        return nullptr;
    }

private Q_SLOTS:
    void init() { QSettings().remove(QStringLiteral("WindowState")); }

    void emptyServiceShowsEmptyPage()
    {
        DialogFixture f({});
        f.makeDialog().show();
        QCOMPARE(f.list()->rowCount(), 0);
        QVERIFY(!f.showsEditor());
        QVERIFY(f.child<QLabel>("emptyHintLabel")->isVisible());
        QCOMPARE(f.child<QLabel>("emptyHintLabel")->text(),
                 QStringLiteral("No window properties are stored yet. Add... creates an entry "
                                "for a program."));
        QVERIFY(!f.child("renameButton")->isEnabled());
        QVERIFY(!f.child("deleteButton")->isEnabled());
        QVERIFY(!f.isChanged());
        QVERIFY(f.answers.seen().isEmpty());
    }

    void firstRecordShownClean()
    {
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        QCOMPARE(f.names(), QStringList({ "alpha", "beta", "gamma" }));
        QCOMPARE(f.list()->currentString(), QStringLiteral("alpha"));
        QVERIFY(f.showsEditor());
        QVERIFY(f.checkBox("no_titleCB")->isChecked());
        QVERIFY(f.child("renameButton")->isEnabled());
        QVERIFY(!f.isChanged());
    }

    void editsAreCarriedOnMove()
    {
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        f.checkBox("ontopCB")->click();
        QVERIFY(f.isChanged());
        f.list()->setCurrentString(QStringLiteral("beta"));
        QVERIFY(!f.checkBox("no_titleCB")->isChecked());
        QVERIFY(f.checkBox("ontopCB")->isChecked());
        QVERIFY(f.isChanged());
        f.list()->setCurrentString(QStringLiteral("alpha"));
        QVERIFY(f.checkBox("no_titleCB")->isChecked());
        QVERIFY(f.checkBox("ontopCB")->isChecked());
    }

    void applySendsTheWholeWorkingCopy()
    {
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        f.checkBox("ontopCB")->click();
        f.list()->setCurrentString(QStringLiteral("beta"));
        f.checkBox("stickyCB")->click();
        QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
        // Clicked as a user does, which gives Apply the focus.
        QTest::mouseClick(f.button(QDialogButtonBox::Apply), Qt::LeftButton);
        QVERIFY(f.answers.seen().isEmpty());
        QCOMPARE(QApplication::focusWidget(), f.list());
        QCOMPARE(f.stored(),
                 QStringList({ "alpha;no_title;ontop", "beta;sticky;ontop", "gamma;shadow=40" }));
        QVERIFY(!f.isChanged());
        QCOMPARE(f.list()->currentString(), QStringLiteral("beta"));
        QVERIFY(f.dialog->isVisible());
    }

    void missingProperties_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("storedAfter");
        QTest::newRow("No") << QMessageBox::No << QStringList({ "a", "keep;ontop", "b" });
        QTest::newRow("Yes") << QMessageBox::Yes << QStringList({ "keep;ontop" });
    }

    void missingProperties()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, storedAfter);
        DialogFixture f({ "a", "keep;ontop", "b" });
        f.makeDialog().show();
        f.list()->setCurrentString(QStringLiteral("keep"));
        f.checkBox("stickyCB")->click();
        f.checkBox("stickyCB")->click();
        QVERIFY(f.isChanged());
        f.answers.thenClick(answer);
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.answers.seen(),
                 QStringList("Missing properties|There are no properties for window names:<br>"
                             "\"a\"<br>\"b\"<br><br>These names will be removed. Do you want to "
                             "continue?"));
        QCOMPARE(f.stored(), storedAfter);
        QCOMPARE(f.isChanged(), answer == QMessageBox::No);
        if (answer == QMessageBox::Yes)
            QCOMPARE(f.names(), QStringList("keep"));
    }

    void okKeepsDialogOpenWhenMissingPropertiesDeclined()
    {
        DialogFixture f({ "a" });
        f.makeDialog().show();
        f.checkBox("ontopCB")->click();
        f.checkBox("ontopCB")->click();
        f.answers.thenClick(QMessageBox::No);
        f.button(QDialogButtonBox::Ok)->click();
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.stored(), QStringList("a"));
    }

    void saveErasingTheCurrentRecord()
    {
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        f.list()->setCurrentString(QStringLiteral("beta"));
        f.checkBox("ontopCB")->click();
        f.answers.thenClick(QMessageBox::Yes);
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.names(), QStringList({ "alpha", "gamma" }));
        QCOMPARE(f.list()->currentString(), QStringLiteral("alpha"));
        QVERIFY(f.checkBox("no_titleCB")->isChecked());
        QCOMPARE(f.stored(), QStringList({ "alpha;no_title", "gamma;shadow=40" }));
    }

    void markupInNamesIsNotRendered()
    {
        DialogFixture f({ "<b>bold</b>", "x;ontop" });
        f.makeDialog().show();
        f.checkBox("stickyCB")->click();
        f.checkBox("stickyCB")->click();
        f.answers.thenClick(QMessageBox::No);
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.answers.seen().size(), 1);
        QVERIFY2(f.answers.seen().first().contains("\"&lt;b&gt;bold&lt;/b&gt;\""),
                 qPrintable(f.answers.seen().first()));
    }

    // Reset goes back to what the service holds, whatever was changed: nothing of it is left to
    // reach the service with the next save.
    void reset_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("current");
        QTest::newRow("edits of two records") << Change([](DialogFixture &f) {
            f.checkBox("ontopCB")->click();
            f.list()->setCurrentString(QStringLiteral("beta"));
            f.checkBox("stickyCB")->click();
        }) << "beta";
        QTest::newRow("deletion") << Change([](DialogFixture &f) {
            f.answers.thenClick(QMessageBox::Yes);
            f.dialog->deleteWinPropByName(QStringLiteral("beta"));
        }) << "alpha";
        QTest::newRow("rename") << Change([](DialogFixture &f) {
            f.list()->setCurrentString(QStringLiteral("gamma"));
            f.answers.thenType(QStringLiteral("delta"));
            f.child<QPushButton>("renameButton")->click();
        }) << "alpha";
        QTest::newRow("addition") << Change([](DialogFixture &f) {
            f.dialog->addWinPropFromRecord(QStringLiteral("n;ontop"));
        }) << "alpha";
    }

    void reset()
    {
        QFETCH(Change, change);
        QFETCH(QString, current);
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        change(f);
        QVERIFY(f.isChanged());
        f.button(QDialogButtonBox::Reset)->click();
        QCOMPARE(f.names(), QStringList({ "alpha", "beta", "gamma" }));
        QCOMPARE(f.list()->currentString(), current);
        QVERIFY(!f.isChanged());
        QVERIFY(!f.checkBox("stickyCB")->isChecked());
        f.list()->setCurrentString(QStringLiteral("alpha"));
        QVERIFY(!f.checkBox("ontopCB")->isChecked());
        f.list()->setCurrentString(QStringLiteral("gamma"));
        f.checkBox("no_borderCB")->click();
        f.button(QDialogButtonBox::Apply)->click();
        QVERIFY(f.answers.allAnswered());
        QCOMPARE(f.stored(),
                 QStringList({ "alpha;no_title", "beta;ontop", "gamma;no_border;shadow=40" }));
    }

    // What others store while the dialog is open is not overwritten: changed only elsewhere, it
    // is kept; changed in both places, the user chooses.
    void saveTakesInChangesMadeElsewhere_data()
    {
        QTest::addColumn<QStringList>("elsewhere");
        QTest::addColumn<Change>("change");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QStringList>("stored");
        const Change ontopOnAlpha([](DialogFixture &f) { f.checkBox("ontopCB")->click(); });
        const QStringList alphaOnBothSides = { "alpha;no_border", "beta;ontop", "gamma;shadow=40" };
        QTest::newRow("changed only elsewhere")
            << QStringList({ "alpha;no_title", "beta;sticky", "gamma;shadow=40" }) << ontopOnAlpha
            << QMessageBox::NoButton
            << QStringList({ "alpha;no_title;ontop", "beta;sticky", "gamma;shadow=40" });
        QTest::newRow("added and deleted elsewhere")
            << QStringList({ "alpha;no_title", "gamma;shadow=40", "e;ontop" })
            << Change([](DialogFixture &f) { f.dialog->addWinPropFromRecord("n;ontop"); })
            << QMessageBox::NoButton
            << QStringList({ "alpha;no_title", "gamma;shadow=40", "e;ontop", "n;ontop" });
        QTest::newRow("changed in both, keep mine")
            << alphaOnBothSides << ontopOnAlpha << QMessageBox::Yes
            << QStringList({ "alpha;no_title;ontop", "beta;ontop", "gamma;shadow=40" });
        QTest::newRow("changed in both, keep theirs")
            << alphaOnBothSides << ontopOnAlpha << QMessageBox::No << alphaOnBothSides;
        QTest::newRow("changed in both, cancel")
            << alphaOnBothSides << ontopOnAlpha << QMessageBox::Cancel << alphaOnBothSides;
    }

    void saveTakesInChangesMadeElsewhere()
    {
        QFETCH(QStringList, elsewhere);
        QFETCH(Change, change);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, stored);
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        change(f);
        f.service.storeElsewhere(elsewhere);
        if (answer != QMessageBox::NoButton)
            f.answers.thenClick(answer);
        f.button(QDialogButtonBox::Apply)->click();
        QVERIFY(f.answers.allAnswered());
        QCOMPARE(f.answers.seen().size(), answer == QMessageBox::NoButton ? 0 : 1);
        if (answer != QMessageBox::NoButton)
            QVERIFY2(f.answers.seen().first().startsWith("Changed elsewhere|")
                         && f.answers.seen().first().contains("\"alpha\""),
                     qPrintable(f.answers.seen().first()));
        QCOMPARE(f.stored(), stored);
        QCOMPARE(f.isChanged(), answer == QMessageBox::Cancel);
    }

    // The editor cannot show a width above 9999; only what the user changed is taken from it.
    void valuesTheEditorCannotShowStay_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("rename") << Change([](DialogFixture &f) {
            f.answers.thenType(QStringLiteral("wider"));
            f.child<QPushButton>("renameButton")->click();
            f.list()->setCurrentString(QStringLiteral("other"));
        }) << QStringList({ "wider;geometry=20000x480+0+0", "other;ontop" });
        QTest::newRow("another control")
            << Change([](DialogFixture &f) { f.checkBox("no_titleCB")->click(); })
            << QStringList({ "wide;no_title;geometry=20000x480+0+0", "other;ontop" });
        QTest::newRow("visit") << Change([](DialogFixture &f) {
            f.list()->setCurrentString(QStringLiteral("other"));
            f.list()->setCurrentString(QStringLiteral("wide"));
            f.checkBox("no_titleCB")->click();
            f.checkBox("no_titleCB")->click();
            f.list()->setCurrentString(QStringLiteral("other"));
            f.checkBox("stickyCB")->click();
        }) << QStringList({ "wide;geometry=20000x480+0+0", "other;sticky;ontop" });
    }

    void valuesTheEditorCannotShowStay()
    {
        QFETCH(Change, change);
        QFETCH(QStringList, stored);
        DialogFixture f({ "wide;geometry=20000x480+0+0", "other;ontop" });
        f.makeDialog().show();
        change(f);
        f.button(QDialogButtonBox::Apply)->click();
        QVERIFY(f.answers.allAnswered());
        QCOMPARE(f.stored(), stored);
    }

    void saveErasingTheLastRecordShowsEmptyPage()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        f.checkBox("ontopCB")->click();
        f.answers.thenClick(QMessageBox::Yes);
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.stored(), QStringList());
        QCOMPARE(f.names(), QStringList());
        QVERIFY(!f.showsEditor());
        QVERIFY(!f.child<QPushButton>("deleteButton")->isEnabled());
    }

    // A service may hold a record without a name: it is shown as it is and never written
    // under another name.
    void recordWithoutNameIsKeptAsItIs()
    {
        DialogFixture f({ "a;ontop", "b;sticky" });
        WinProps unnamed(QStringLiteral("x;no_title"));
        unnamed.setWinName(QString());
        f.service.stored.insert(1, unnamed);
        f.makeDialog().show();
        f.checkBox("no_borderCB")->click();
        f.list()->setCurrentCell(1, 0);
        QVERIFY(f.showsEditor());
        QVERIFY(f.checkBox("no_titleCB")->isChecked());
        QVERIFY(!f.child<QWidget>("winPropsWidget")->isEnabled());
        f.list()->setCurrentString(QStringLiteral("b"));
        QVERIFY(f.child<QWidget>("winPropsWidget")->isEnabled());
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.service.stored.size(), 3);
        QCOMPARE(f.service.stored.at(1), unnamed);
        QCOMPARE(f.stored().at(0), QStringLiteral("a;no_border;ontop"));
        QCOMPARE(f.stored().at(2), QStringLiteral("b;sticky"));
    }

    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("editorReloaded");
        QTest::newRow("OK") << "ok" << QMessageBox::NoButton << false << true << true << false;
        QTest::newRow("Cancel") << "cancel" << QMessageBox::NoButton << false << true << false
                                << false;
        QTest::newRow("Escape") << "escape" << QMessageBox::NoButton << false << true << false
                                << false;
        QTest::newRow("frame, Yes") << "close" << QMessageBox::Yes << true << true << true << false;
        QTest::newRow("frame, No") << "close" << QMessageBox::No << true << true << false << true;
        QTest::newRow("frame, Cancel")
            << "close" << QMessageBox::Cancel << true << false << false << false;
    }

    void closing()
    {
        QFETCH(QString, how);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, asked);
        QFETCH(bool, closed);
        QFETCH(bool, saved);
        QFETCH(bool, editorReloaded);
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
        f.checkBox("ontopCB")->click();
        if (answer != QMessageBox::NoButton)
            f.answers.thenClick(answer);
        if (how == QLatin1String("ok"))
            f.button(QDialogButtonBox::Ok)->click();
        else if (how == QLatin1String("cancel"))
            f.button(QDialogButtonBox::Cancel)->click();
        else if (how == QLatin1String("escape"))
            QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
        else
            f.dialog->close();
        QCOMPARE(f.answers.seen().size(), asked ? 1 : 0);
        if (asked)
            QVERIFY(f.answers.seen().first().startsWith(unsavedTitle + QLatin1Char('|')));
        QCOMPARE(!f.dialog->isVisible(), closed);
        QCOMPARE(f.stored().first(),
                 saved ? QStringLiteral("alpha;no_title;ontop") : QStringLiteral("alpha;no_title"));
        if (editorReloaded)
            QVERIFY(!f.checkBox("ontopCB")->isChecked());
        QVERIFY(f.answers.unexpected().isEmpty());
    }

    void frameCloseYesThenMissingNoStaysOpen()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        f.checkBox("ontopCB")->click();
        f.answers.thenClick(QMessageBox::Yes);
        f.answers.thenClick(QMessageBox::No);
        f.dialog->close();
        QCOMPARE(f.answers.seen().size(), 2);
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.stored(), QStringList("a;ontop"));
    }

    void windowSize_data()
    {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<bool>("shown");
        QTest::newRow("none") << QSize() << QSize(600, 400) << true;
        QTest::newRow("fits") << QSize(500, 300) << QSize(500, 300) << true;
        QTest::newRow("too wide") << QSize(2000, 300) << QSize(800, 300) << true;
        QTest::newRow("too high") << QSize(500, 900) << QSize(500, 600) << true;
        // A dialog never shown keeps the size the user left, not the one fitted to its screen.
        QTest::newRow("too wide, never shown") << QSize(2000, 300) << QSize(800, 300) << false;
        QTest::newRow("none, never shown") << QSize() << QSize(600, 400) << false;
    }

    void windowSize()
    {
        QFETCH(QSize, stored);
        QFETCH(QSize, expected);
        QFETCH(bool, shown);
        QSettings().remove(QStringLiteral("WindowState/size"));
        if (stored.isValid())
            QSettings().setValue(QStringLiteral("WindowState/size"), stored);
        DialogFixture f({});
        f.makeDialog();
        QCOMPARE(f.dialog->size(), expected);
        if (shown)
            f.dialog->show();
        f.dialog->resize(732, 521);
        f.dialog.reset();
        QCOMPARE(QSettings().value(QStringLiteral("WindowState/size")).toSize(),
                 shown ? QSize(732, 521) : stored);
    }

    void failedSaveIsReported()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        // As the daemon refuses names with control characters.
        f.service.storeError = QStringLiteral("A window name holds a control character.");
        f.answers.thenType(QStringLiteral("bad\tname"));
        f.child<QPushButton>("renameButton")->click();
        QCOMPARE(f.names(), QStringList(QStringLiteral("bad\tname")));
        f.answers.thenClick(QMessageBox::Ok);
        f.button(QDialogButtonBox::Ok)->click();
        QCOMPARE(f.answers.seen().size(), 2);
        QVERIFY2(f.answers.seen().last().startsWith(
                     "Saving failed|The window properties could not be saved:\n"),
                 qPrintable(f.answers.seen().last()));
        QVERIFY(f.dialog->isVisible());
        QVERIFY(f.isChanged());
        QCOMPARE(f.stored(), QStringList("a;ontop"));
    }

    void absentServiceIsReportedAndGuarded()
    {
        DialogFixture f({ "x;ontop", "y;sticky" }, false);
        f.makeDialog();
        f.answers.thenClick(QMessageBox::Ok);
        f.dialog->show();
        QCOMPARE(f.answers.seen().size(), 1);
        const QString warning = f.answers.seen().first();
        QVERIFY2(warning.startsWith("Window properties unavailable|The window properties could "
                                    "not be read from the window-properties service. Check"),
                 qPrintable(warning));
        // The service's own words only under the details.
        QVERIFY2(warning.contains("\nSaving will replace all stored window properties with the "
                                  "entries shown here.|")
                     && !warning.endsWith(QLatin1Char('|')),
                 qPrintable(warning));
        QCOMPARE(f.list()->rowCount(), 0);
        QVERIFY(f.child<QLabel>("emptyHintLabel")
                    ->text()
                    .startsWith(QLatin1String("The stored window properties are unavailable")));

        f.startService();
        f.answers.thenType(QStringLiteral("new"));
        f.child<QPushButton>("addButton")->click();
        f.checkBox("ontopCB")->click();
        f.answers.thenClick(QMessageBox::No);
        f.button(QDialogButtonBox::Apply)->click();
        QVERIFY(f.answers.seen().last().startsWith("Replace all window properties|"));
        QCOMPARE(f.stored(), QStringList({ "x;ontop", "y;sticky" }));
        QVERIFY(f.isChanged());

        f.answers.thenClick(QMessageBox::Yes);
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.stored(), QStringList("new;ontop"));
        QVERIFY(!f.isChanged());

        // Once stored, the service holds what the dialog shows: no more question.
        f.checkBox("stickyCB")->click();
        const int asked = f.answers.seen().size();
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.answers.seen().size(), asked);
        QCOMPARE(f.stored(), QStringList("new;sticky;ontop"));
        QVERIFY(f.answers.unexpected().isEmpty());
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QAccessible::Role>("role");
        const QStringList named = { "winListWidget|Window names|Table",
                                    "filterEdit|Filter window names|EditableText",
                                    "small_imageButton|Small image|Button",
                                    "large_imageButton|Large image|Button",
                                    "shadowSlider|Shadow|Slider",
                                    "shadowSpinBox|Shadow|SpinBox",
                                    "transparencySlider|Transparency|Slider",
                                    "transparencySpinBox|Transparency|SpinBox",
                                    "geometryCB|Set geometry|CheckBox",
                                    "xSB|x offset|SpinBox",
                                    "ySB|y offset|SpinBox",
                                    "widthSB|Width|SpinBox",
                                    "heightSB|Height|SpinBox",
                                    "fromRightEdgeCB|from right edge|CheckBox",
                                    "fromBottomEdgeCB|from bottom edge|CheckBox",
                                    "centerOfScreenCB|put in the center of screen|CheckBox",
                                    "no_titleCB|No title|CheckBox",
                                    "pickButton|Pick a window with the mouse|Button" };
        const QMetaEnum roles = QMetaEnum::fromType<QAccessible::Role>();
        for (const QString &row : named)
            QTest::newRow(qPrintable(row.section('|', 0, 1)))
                << row.section('|', 0, 0) << row.section('|', 1, 1)
                << QAccessible::Role(roles.keyToValue(qPrintable(row.section('|', 2))));
    }

    // Also inside "Set geometry", whose controls start disabled: reached as a screen reader
    // reaches them, from the window down.
    void accessibleNames()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(QAccessible::Role, role);
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        QAccessibleInterface *accessible = findAccessible(
            QAccessible::queryAccessibleInterface(f.dialog.get()), f.child(qPrintable(control)));
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), name);
        QCOMPARE(accessible->role(), role);
    }

    // Off X11 there are no windows of other programs to pick.
    void noPickingOffscreen()
    {
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        QVERIFY(f.child<QPushButton>("pickButton")->isHidden());
    }

    // Tab walks from the list through every control to OK, each with a name to speak; a check box
    // on the way is changed with Space, so that OK is enabled.
    void keyboardOnlyReachesOk()
    {
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
        f.list()->setFocus();
        QStringList order;
        for (int i = 0; i < 80 && QApplication::focusWidget() != f.button(QDialogButtonBox::Ok);
             ++i) {
            QWidget *focused = QApplication::focusWidget();
            QVERIFY(focused);
            order.append(focused->objectName());
            const QString name
                = QAccessible::queryAccessibleInterface(focused)->text(QAccessible::Name);
            QVERIFY2(!name.isEmpty(),
                     qPrintable(focused->objectName() + ' ' + focused->metaObject()->className()));
            // OK takes the focus only once there is something to save.
            if (focused->objectName() == QLatin1String("no_borderCB"))
                QTest::keyClick(focused, Qt::Key_Space);
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QVERIFY2(QApplication::focusWidget() == f.button(QDialogButtonBox::Ok),
                 qPrintable(order.join(' ')));
        QCOMPARE(order.mid(0, 4),
                 QStringList({ "winListWidget", "addButton", "renameButton", "deleteButton" }));
        QVERIFY2(order.contains("no_titleCB") && order.contains("shadowCB"),
                 qPrintable(order.join(' ')));
        f.child("addButton")->setFocus();
        QTest::keyClick(f.child("addButton"), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), f.list());
    }

    void listKeys()
    {
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
        f.list()->setFocus();
        QTest::keyClick(f.list(), Qt::Key_Down);
        QCOMPARE(f.list()->currentString(), QStringLiteral("beta"));
        QTest::keyClick(f.list(), Qt::Key_Return);
        QVERIFY(f.dialog->isVisible());
        f.answers.thenClick(QMessageBox::Yes);
        QTest::keyClick(f.list(), Qt::Key_Delete);
        QCOMPARE(f.answers.seen(),
                 QStringList("Deleting properties|Are you sure you want to delete window "
                             "propeties for \"beta\"?"));
        QCOMPARE(f.names(), QStringList({ "alpha", "gamma" }));
    }

    void filter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("hint");
        const QString choose
            = QStringLiteral("Choose a window name from the list to edit its properties.");
        QTest::newRow("showing the entry on show") << "ALP"
                                                   << "alpha" << QString();
        QTest::newRow("hiding the entry on show") << "MM"
                                                  << "" << choose;
        QTest::newRow("hiding every entry") << "zz"
                                            << ""
                                            << "No window name matches \"zz\".";
    }

    // The entry in the editor is always one the list shows; an entry the filter hides keeps
    // its edits, and the editor gives way to a hint until another is chosen.
    void filter()
    {
        QFETCH(QString, text);
        QFETCH(QString, current);
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
        f.checkBox("ontopCB")->click();
        f.list()->setFocus();
        QTest::keyClick(f.list(), Qt::Key_F, Qt::ControlModifier);
        auto *filter = f.child<QLineEdit>("filterEdit");
        QCOMPARE(QApplication::focusWidget(), filter);
        QTest::keyClicks(filter, text);
        QCOMPARE(f.list()->currentString(), current);
        QCOMPARE(f.showsEditor(), !current.isEmpty());
        if (current.isEmpty())
            QTEST(f.child<QLabel>("emptyHintLabel")->text(), "hint");
        QVERIFY(f.isChanged());
        filter->clear();
        f.list()->setCurrentString(QStringLiteral("beta"));
        f.button(QDialogButtonBox::Apply)->click();
        QCOMPARE(f.stored(),
                 QStringList({ "alpha;no_title;ontop", "beta;ontop", "gamma;shadow=40" }));
    }

    void keysInTheFilter_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("filterAfter");
        QTest::addColumn<QString>("focusAfter");
        QTest::newRow("Enter goes on to the list") << int(Qt::Key_Return) << "mm"
                                                   << "winListWidget";
        QTest::newRow("Escape clears the filter") << int(Qt::Key_Escape) << ""
                                                  << "filterEdit";
    }

    // Neither Enter nor Escape in a filter holding text reaches the dialog's buttons: nothing
    // is saved, nothing is closed, the edit stays.
    void keysInTheFilter()
    {
        QFETCH(int, key);
        DialogFixture f(threeRecords);
        f.makeDialog().show();
        QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
        f.checkBox("ontopCB")->click();
        auto *filter = f.child<QLineEdit>("filterEdit");
        filter->setFocus();
        QTest::keyClicks(filter, QStringLiteral("mm"));
        QTest::keyClick(filter, Qt::Key(key));
        QVERIFY(f.dialog->isVisible());
        QTEST(filter->text(), "filterAfter");
        QTEST(QApplication::focusWidget()->objectName(), "focusAfter");
        if (key == Qt::Key_Return) {
            QCOMPARE(f.list()->currentString(), QStringLiteral("gamma"));
            QVERIFY(f.checkBox("shadowCB")->isChecked());
        }
        QCOMPARE(f.service.stores, 0);
        QVERIFY(f.isChanged());
    }

    // Enlarged, the dialog gives the room to the editor; the list keeps its width.
    void enlargingWidensTheEditor()
    {
        DialogFixture f(threeRecords);
        f.makeDialog().resize(600, 400);
        f.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.dialog.get()));
        f.dialog->resize(1400, 700);
        QTRY_VERIFY(f.child<QWidget>("stackedWidget")->width() > 1400 / 2);
        const int listWidth = f.list()->width();
        f.dialog->resize(2000, 700);
        QTRY_VERIFY(f.child<QWidget>("stackedWidget")->width() > 2000 * 3 / 4);
        QCOMPARE(f.list()->width(), listWidth);
    }

    void helpKeyOpensHelp()
    {
        DialogFixture f({ "a;ontop" });
        f.makeDialog().show();
        QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
        const QWidgetList before = QApplication::topLevelWidgets();
        QTest::keySequence(f.dialog.get(), QKeySequence::HelpContents);
        QWidget *help = nullptr;
        QTRY_VERIFY((help = [&before]() -> QWidget * {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && !before.contains(w))
                    return w;
            return nullptr;
        }()));
        help->close();
    }
};

KIVO_TEST_MAIN_WITHOUT_BUS(TestWinPropsDialog)
#include "tst_winpropsdialog.moc"
