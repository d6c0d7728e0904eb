// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/stringlistwidget.h"
#include "tests/common/testenvironment.h"

#include <QAccessible>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>

namespace {
// A null string is written as "<null>", so announcements compare as plain text.
QString shown(const QString &text)
{
    return text.isNull() ? QStringLiteral("<null>") : text;
}
} // namespace

class TestStringListWidget : public QObject
{
    Q_OBJECT

private:
    QStringList announcements;
    QStringList currentInsideReceiver;

    void listen(StringListWidget &list)
    {
        announcements.clear();
        currentInsideReceiver.clear();
        connect(&list, &StringListWidget::currentChanged, this,
                [this, &list](const QString &current, const QString &previous) {
                    announcements.append(shown(current) + QLatin1Char('|') + shown(previous));
                    currentInsideReceiver.append(shown(list.currentString()));
                });
    }

private Q_SLOTS:
    void freshListIsEmpty()
    {
        StringListWidget list;
        listen(list);
        list.setStrings({}, QString());
        QCOMPARE(list.rowCount(), 0);
        QVERIFY(announcements.isEmpty());
        QVERIFY(list.currentString().isNull());
        QCOMPARE(list.editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    // A name cut off by the list's edge is shown whole when the pointer rests on it.
    void longNamesHaveTooltips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("tipped");
        QTest::newRow("short") << "xterm" << false;
        QTest::newRow("wider than the list") << QString(80, QLatin1Char('w')) << true;
    }

    void longNamesHaveTooltips()
    {
        QFETCH(QString, name);
        QFETCH(bool, tipped);
        StringListWidget list;
        list.resize(160, 120);
        list.setStrings({ name }, QString());
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QPoint inside = list.visualItemRect(list.item(0, 0)).center();
        QHelpEvent help(QEvent::ToolTip, inside, list.viewport()->mapToGlobal(inside));
        QApplication::sendEvent(list.viewport(), &help);
        if (tipped)
            QTRY_COMPARE(QToolTip::text(), name);
        else
            QVERIFY(!QToolTip::isVisible());
        QToolTip::hideText();
    }

    void setStrings_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("expected");
        const QStringList abc = { "alpha", "beta", "gamma" };
        QTest::newRow("named") << abc << "beta" << 1 << QStringList { "beta|<null>" };
        QTest::newRow("empty current") << abc << "" << 0 << QStringList { "alpha|<null>" };
        QTest::newRow("null current") << abc << QString() << 0 << QStringList { "alpha|<null>" };
        QTest::newRow("absent current") << abc << "delta" << 0 << QStringList { "alpha|<null>" };
        QTest::newRow("case differs") << abc << "Beta" << 0 << QStringList { "alpha|<null>" };
        QTest::newRow("duplicates") << QStringList { "alpha", "beta", "alpha" } << "alpha" << 0
                                    << QStringList { "alpha|<null>" };
    }

    void setStrings()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, current);
        QFETCH(int, row);
        QFETCH(QStringList, expected);
        StringListWidget list;
        listen(list);
        list.setStrings(names, current);
        QCOMPARE(list.rowCount(), names.size());
        QCOMPARE(list.columnCount(), 1);
        QCOMPARE(list.currentRow(), row);
        QCOMPARE(announcements, expected);
        QCOMPARE(list.currentString(), names.at(row));
    }

    void refillAnnouncesClearingFirst_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("same names")
            << QStringList { "alpha", "beta" } << QStringList { "<null>|beta", "beta|<null>" };
        QTest::newRow("emptied") << QStringList() << QStringList { "<null>|beta" };
    }

    void refillAnnouncesClearingFirst()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, expected);
        StringListWidget list;
        list.setStrings({ "alpha", "beta" }, QStringLiteral("beta"));
        listen(list);
        list.setStrings(names, QStringLiteral("beta"));
        QCOMPARE(announcements, expected);
        // While the old row is dropped, the list still names it as current.
        QCOMPARE(currentInsideReceiver.first(), QStringLiteral("beta"));
    }

    void setCurrentString_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("other row") << "gamma" << 2 << QStringList { "gamma|alpha" };
        QTest::newRow("already current") << "alpha" << 0 << QStringList();
        QTest::newRow("case differs") << "Gamma" << 0 << QStringList();
        QTest::newRow("absent") << "delta" << 0 << QStringList();
        QTest::newRow("first duplicate") << "beta" << 1 << QStringList { "beta|alpha" };
    }

    void setCurrentString()
    {
        QFETCH(QString, name);
        QFETCH(int, row);
        QFETCH(QStringList, expected);
        StringListWidget list;
        list.setStrings({ "alpha", "beta", "gamma", "beta" }, QString());
        listen(list);
        list.setCurrentString(name);
        QCOMPARE(list.currentRow(), row);
        QCOMPARE(announcements, expected);
        QCOMPARE(list.selectedItems().size(), 1);
        QCOMPARE(list.selectedItems().first()->row(), row);
    }

    void clickAnnouncesBothNames()
    {
        StringListWidget list;
        list.setStrings({ "alpha", "beta", "gamma" }, QString());
        list.resize(200, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        listen(list);
        const QRect cell = list.visualItemRect(list.item(2, 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(announcements, QStringList { "gamma|alpha" });
        QCOMPARE(currentInsideReceiver, QStringList { "alpha" });
        QCOMPARE(list.currentString(), QStringLiteral("gamma"));
    }

    void keyboardMovesAreAnnounced()
    {
        StringListWidget list;
        list.setStrings({ "alpha", "beta" }, QString());
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        listen(list);
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(announcements, QStringList { "beta|alpha" });
    }

    void blockedSignalsAnnounceNothing()
    {
        StringListWidget list;
        list.setStrings({ "alpha", "beta" }, QString());
        listen(list);
        list.blockSignals(true);
        list.setStrings({ "alpha", "omega" }, QStringLiteral("omega"));
        list.blockSignals(false);
        QVERIFY(announcements.isEmpty());
        QCOMPARE(list.currentString(), QStringLiteral("omega"));
    }

    void columnFitsTheView_data()
    {
        QTest::addColumn<int>("names");
        QTest::newRow("few names") << 2;
        QTest::newRow("more names than fit") << 50;
    }

    // The column fills the view, with or without a vertical scroll bar, and no horizontal one
    // shows; the row made current is in view.
    void columnFitsTheView()
    {
        QFETCH(int, names);
        QStringList strings;
        for (int i = 0; i < names; ++i)
            strings.append(QStringLiteral("name%1").arg(i));
        StringListWidget list;
        list.resize(200, 150);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.setStrings(strings, strings.last());
        QVERIFY(list.viewport()->rect().contains(list.visualItemRect(list.currentItem())));
        for (const int width : { 200, 300, 120 }) {
            list.resize(width, 150);
            QTRY_COMPARE(list.columnWidth(0), list.viewport()->width());
            QTRY_COMPARE(list.horizontalScrollBar()->maximum(), 0);
        }
    }

    void longNameScrollsHorizontally()
    {
        StringListWidget list;
        list.resize(200, 150);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QString longName(200, QLatin1Char('w'));
        list.setStrings({ "a", longName }, QString());
        const int contentsWidth = list.columnWidth(0);
        QVERIFY(contentsWidth > 200);
        QCOMPARE(list.horizontalScrollMode(), QAbstractItemView::ScrollPerPixel);
        QTRY_VERIFY(list.horizontalScrollBar()->maximum() > 0);
        list.resize(250, 150);
        QCOMPARE(list.columnWidth(0), contentsWidth);
    }

    void filter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("visible");
        QTest::addColumn<QStringList>("announced");
        const QStringList none;
        QTest::newRow("ignores case") << "BE" << QStringList("beta") << none;
        QTest::newRow("inside the name") << "et" << QStringList("beta") << none;
        QTest::newRow("hides the current row")
            << "mm" << QStringList("gamma") << QStringList("<null>|beta");
        QTest::newRow("nothing matches") << "zz" << QStringList() << QStringList("<null>|beta");
        QTest::newRow("not across two names")
            << "AB" << QStringList() << QStringList("<null>|beta");
        QTest::newRow("cleared") << "" << QStringList({ "Alpha", "beta", "gamma", "xalpine" })
                                 << none;
    }

    // Filtering hides rows; the current row is never one of them: a filter that hides it leaves
    // no row current.
    void filter()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, visible);
        QFETCH(QStringList, announced);
        StringListWidget list;
        list.setStrings({ "Alpha", "beta", "gamma", "xalpine" }, QStringLiteral("beta"));
        listen(list);
        list.setFilterText(QStringLiteral("b"));
        list.setFilterText(text);
        // The rows shown stack from the top, with no room left for the hidden ones.
        QStringList shownRows;
        int top = 0;
        for (int row = 0; row < list.rowCount(); ++row) {
            if (list.isRowHidden(row))
                continue;
            shownRows.append(list.item(row, 0)->text());
            QCOMPARE(list.rowViewportPosition(row), top);
            top += list.rowHeight(row);
        }
        QCOMPARE(shownRows, visible);
        QCOMPARE(list.verticalHeader()->length(), top);
        QCOMPARE(announcements, announced);
        QCOMPARE(list.currentString(), announced.isEmpty() ? QStringLiteral("beta") : QString());
        // A refill keeps the filter, and makes current only a row it shows.
        list.setStrings({ "Alpha", "beta", "gamma", "xalpine" }, QStringLiteral("beta"));
        QCOMPARE(list.isRowHidden(1), !visible.contains(QStringLiteral("beta")));
        QCOMPARE(list.currentString(),
                 visible.contains(QStringLiteral("beta")) ? QStringLiteral("beta")
                                                          : visible.value(0));
    }

    // The hidden headers reach screen readers as table cells; they must not read as names.
    void screenReaderHearsOnlyNames()
    {
        StringListWidget list;
        list.setStrings({ "alpha", "beta" }, QString());
        list.show();
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&list);
        QVERIFY(table);
        QStringList texts;
        for (int i = 0; i < table->childCount(); ++i) {
            const QString text = table->child(i)->text(QAccessible::Name);
            if (!text.isEmpty())
                texts.append(text);
        }
        QCOMPARE(texts, QStringList({ "alpha", "beta" }));
    }
};

KIVO_TEST_MAIN_WITHOUT_BUS(TestStringListWidget)
#include "tst_stringlistwidget.moc"
