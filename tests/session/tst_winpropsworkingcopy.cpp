// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "session/winpropsworkingcopy.h"
#include "tests/common/testrecords.h"

#include <QtTest>

namespace {
QString yesNo(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Runs one step, written "operation|argument|argument", and says what it returned.
QString run(WinPropsWorkingCopy &copy, const QString &step)
{
    const QStringList parts = step.split(QLatin1Char('|'));
    const QString operation = parts.at(0);
    if (operation == QLatin1String("find"))
        return copy.find(parts.at(1)).toString();
    if (operation == QLatin1String("contains"))
        return yesNo(copy.contains(parts.at(1)));
    if (operation == QLatin1String("store")) {
        copy.store(WinProps(parts.at(1)));
        return QString();
    }
    if (operation == QLatin1String("rename"))
        return yesNo(copy.rename(parts.at(1), parts.at(2)));
    if (operation == QLatin1String("remove"))
        return yesNo(copy.remove(parts.at(1)));
    if (operation == QLatin1String("eraseNulls")) {
        const QString erased = copy.nullNames().join(QLatin1Char(','));
        copy.eraseNulls();
        return erased;
    }
    qFatal("unknown step %s", qPrintable(step));
}
} // namespace

class TestWinPropsWorkingCopy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void steps_data();
    void steps();
};

void TestWinPropsWorkingCopy::steps_data()
{
    QTest::addColumn<QStringList>("initial");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QStringList>("final");
    const QStringList abcd = { "a;ontop", "b;sticky", "c;no_title", "d;no_border" };
    const QStringList repeated = { "a;ontop", "b;sticky", "a;no_title" };

    QTest::newRow("the first record of a repeated name is found")
        << repeated << QStringList { "find|b", "find|a", "contains|a" }
        << QStringList { "b;sticky", "a;ontop", "true" } << repeated;
    QTest::newRow("removing the first of a repeated name uncovers the second")
        << repeated << QStringList { "find|b", "remove|a", "find|a" }
        << QStringList { "b;sticky", "true", "a;no_title" }
        << QStringList { "b;sticky", "a;no_title" };
    QTest::newRow("renaming the first of a repeated name uncovers the second")
        << repeated << QStringList { "rename|a|z", "find|a", "find|z" }
        << QStringList { "true", "a;no_title", "z;ontop" }
        << QStringList { "z;ontop", "b;sticky", "a;no_title" };
    QTest::newRow("storing a known name replaces it in place")
        << abcd << QStringList { "find|d", "store|b;no_border", "find|b" }
        << QStringList { "d;no_border", "", "b;no_border" }
        << QStringList { "a;ontop", "b;no_border", "c;no_title", "d;no_border" };
    QTest::newRow("storing a new name appends it")
        << abcd << QStringList { "find|c", "store|e;ontop", "find|e", "find|d" }
        << QStringList { "c;no_title", "", "e;ontop", "d;no_border" }
        << abcd + QStringList("e;ontop");
    QTest::newRow("storing into an empty copy")
        << QStringList() << QStringList { "find|a", "store|a;ontop", "find|a", "store|a;sticky" }
        << QStringList { "", "", "a;ontop", "" } << QStringList("a;sticky");
    QTest::newRow("records after a removed one are still found")
        << abcd << QStringList { "find|d", "remove|a", "find|b", "find|c", "find|d", "find|a" }
        << QStringList { "d;no_border", "true", "b;sticky", "c;no_title", "d;no_border", "" }
        << QStringList(abcd.mid(1));
    QTest::newRow("a renamed record keeps its place and is found under its new name only")
        << abcd << QStringList { "find|d", "rename|b|x", "find|x", "find|b", "store|b;ontop" }
        << QStringList { "d;no_border", "true", "x;sticky", "", "" }
        << QStringList { "a;ontop", "x;sticky", "c;no_title", "d;no_border", "b;ontop" };
    QTest::newRow("missing names change nothing")
        << abcd << QStringList { "remove|x", "rename|x|y", "find|x", "contains|x", "find|" }
        << QStringList { "false", "false", "", "false", "" } << abcd;
    QTest::newRow("letter case counts")
        << QStringList("Abc;ontop") << QStringList { "contains|abc", "find|abc", "remove|abc" }
        << QStringList { "false", "", "false" } << QStringList("Abc;ontop");
    QTest::newRow("erasing records that set nothing, then finding the rest")
        << QStringList { "a", "b;ontop", "c", "d;sticky" }
        << QStringList { "find|d", "eraseNulls", "find|d", "store|c;no_title", "find|b" }
        << QStringList { "d;sticky", "a,c", "d;sticky", "", "b;ontop" }
        << QStringList { "b;ontop", "d;sticky", "c;no_title" };
    // As the question before erasing names them: by name.
    QTest::newRow("erasing takes every record of a name that sets nothing")
        << QStringList { "twice", "other;ontop", "twice;sticky" }
        << QStringList { "eraseNulls", "contains|twice" } << QStringList { "twice", "false" }
        << QStringList("other;ontop");
    QTest::newRow("nothing to erase") << abcd << QStringList { "eraseNulls", "find|c" }
                                      << QStringList { "", "c;no_title" } << abcd;
}

void TestWinPropsWorkingCopy::steps()
{
    QFETCH(QStringList, initial);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, results);
    QFETCH(QStringList, final);
    WinPropsWorkingCopy copy(recordsOf(initial));
    QStringList returned;
    for (const QString &step : qAsConst(steps))
        returned.append(run(copy, step));
    QCOMPARE(returned, results);
    QCOMPARE(textsOf(copy.records()), final);
    QStringList finalNames;
    for (const QString &text : qAsConst(final))
        finalNames.append(text.section(QLatin1Char(';'), 0, 0));
    QCOMPARE(copy.names(), finalNames);
    QCOMPARE(copy.isEmpty(), final.isEmpty());
}

QTEST_GUILESS_MAIN(TestWinPropsWorkingCopy)
#include "tst_winpropsworkingcopy.moc"
