// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/kwin/kwinapplier.h"
#include "daemon/kwin/kwinrules.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Two rules of the user's, as System Settings writes them.
const QByteArray userRules = "[General]\ncount=2\nrules=1f0c,9a7e\n\n"
                             "[1f0c]\nDescription=Settings for konsole\nwmclass=konsole\n"
                             "wmclassmatch=1\nabove=true\naboverule=2\n\n"
                             "[9a7e]\nDescription=Firefox\nwmclass=firefox\nwmclassmatch=2\n";

WinPropsList records(const QStringList &texts)
{
    WinPropsList list;
    for (const QString &text : texts)
        list.append(WinProps(text));
    return list;
}

// The text of the user's group from its header up to its last line that is not blank.
QByteArray groupOf(const QByteArray &file, const QByteArray &id)
{
    const int start = file.indexOf(QByteArray("[" + id + "]\n"));
    if (start < 0)
        return {};
    int end = file.indexOf("\n[", start);
    QByteArray group = file.mid(start, end < 0 ? -1 : end - start);
    while (group.endsWith('\n'))
        group.chop(1);
    return group;
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

} // namespace

// KWin's rules made of the records, beside the user's own rules, without KWin.
class TestKwinRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachPropertyBecomesTheRuleDoingTheSame_data();
    void eachPropertyBecomesTheRuleDoingTheSame();
    void userRulesSurviveEveryChange_data();
    void userRulesSurviveEveryChange();
    void namesAreMatchedExactlyAsKConfigReadsThem();
    void whatRulesGoneForcedIsSetBack_data();
    void whatRulesGoneForcedIsSetBack();
    void theUsersForcedRulesAreNotUndone_data();
    void theUsersForcedRulesAreNotUndone();
    void theFileIsWrittenOnlyWhereNoUserRuleCanBeLost_data();
    void theFileIsWrittenOnlyWhereNoUserRuleCanBeLost();
    void aLinkStaysALink();
    void aHandEditIsKept();
    void rulesFromTheFarEdgesFollowTheScreen();
    void tenThousandRecordsAreOneWrite();
};

void TestKwinRules::eachPropertyBecomesTheRuleDoingTheSame_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QByteArrayList>("entries");
    QTest::addColumn<QStringList>("notApplied");
    QTest::addColumn<QRect>("screen"); // all outputs together
    const QRect screen(0, 0, 1280, 800);

    QTest::newRow("no title alone")
        << "a;no_title" << QByteArrayList() << QStringList { "no_title" } << screen;
    QTest::newRow("lasting states are forced")
        << "a;sticky;no_focus;no_button3;no_tbutton;no_pager;ontop"
        << QByteArrayList { "desktops=",         "desktopsrule=2",    "acceptfocus=false",
                            "acceptfocusrule=2", "closeable=false",   "closeablerule=2",
                            "skiptaskbar=true",  "skiptaskbarrule=2", "skippager=true",
                            "skippagerrule=2",   "above=true",        "aboverule=2" }
        << QStringList() << screen;
    QTest::newRow("on top wins over on bottom")
        << "a;ontop;onbottom" << QByteArrayList { "above=true", "aboverule=2" } << QStringList()
        << screen;
    QTest::newRow("how a window starts is applied initially")
        << "a;init_maximize;init_minimize;geometry=300x200+30+40"
        << QByteArrayList { "position=30,40",    "positionrule=3",     "size=300,200",
                            "sizerule=3",        "maximizehoriz=true", "maximizehorizrule=3",
                            "maximizevert=true", "maximizevertrule=3", "minimize=true",
                            "minimizerule=3" }
        << QStringList() << screen;
    QTest::newRow("geometry from the far edges places the frame's far edges there")
        << "a;geometry=300x200-30-40"
        << QByteArrayList { "position=950,560", "positionrule=3", "size=300,200", "sizerule=3" }
        << QStringList() << screen;
    QTest::newRow("geometry from the far edges of a screen not at the origin")
        << "a;geometry=300x200+-5--40"
        << QByteArrayList { "position=-5,440", "positionrule=3", "size=300,200", "sizerule=3" }
        << QStringList() << QRect(-100, -200, 1280, 800);
    QTest::newRow("geometry from the far edges while the screen is not known yet")
        << "a;geometry=300x200-30-40" << QByteArrayList { "size=300,200", "sizerule=3" }
        << QStringList() << QRect();
    QTest::newRow("geometry from a far edge without a size")
        << "a;geometry=0x0-30+40" << QByteArrayList() << QStringList { "geometry" } << screen;
    QTest::newRow("what KWin's rules cannot do")
        << "a;no_border_edge;no_button1;close_soon;shadow=0;small_image=x;focus_on_click"
        << QByteArrayList() << QStringList { "close_soon", "focus_on_click", "no_border_edge",
                                             "no_button1", "shadow",         "small_image" }
        << screen;
}

void TestKwinRules::eachPropertyBecomesTheRuleDoingTheSame()
{
    QFETCH(QString, record);
    QFETCH(QByteArrayList, entries);
    QFETCH(QStringList, notApplied);
    QFETCH(QRect, screen);
    const KwinRule rule = kwinRuleOf(WinProps(record), screen);
    QCOMPARE(rule.notApplied, notApplied);
    if (entries.isEmpty()) {
        QCOMPARE(rule.entries, QByteArrayList());
        return;
    }
    const QByteArrayList matching { "Description=a (kivo-winpropsd)", "wmclass=a", "wmclassmatch=1",
                                    "wmclasscomplete=false" };
    QCOMPARE(rule.entries, matching + entries);
}

void TestKwinRules::userRulesSurviveEveryChange_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArrayList>("userIds");

    QTest::newRow("rules listed by id") << userRules << QByteArrayList { "1f0c", "9a7e" };
    QTest::newRow("rules numbered by count")
        << QByteArray("[General]\ncount=1\n\n[1]\nwmclass=xterm\nnoborder=true\nnoborderrule=2")
        << QByteArrayList { "1" };
    QTest::newRow("no rules yet") << QByteArray() << QByteArrayList();
    QTest::newRow("as KWin writes it, with its version first")
        << QByteArray("[$Version]\nupdate_info=kwinrules.upd:replace-placement-string-to-enum\n\n"
                      "[1]\nDescription=mine\nwmclass=xterm\nabove=true\naboverule=2\n\n"
                      "[General]\ncount=1\nrules=1\n")
        << QByteArrayList { "1" };
    QTest::newRow("a user rule that looks like ours but is described otherwise")
        << QByteArray("[General]\ncount=1\nrules=kivo-winpropsd-1\n\n[kivo-winpropsd-1]\n"
                      "Description=mine\nwmclass=xterm\n")
        << QByteArrayList { "kivo-winpropsd-1" };
}

void TestKwinRules::userRulesSurviveEveryChange()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArrayList, userIds);
    const QList<WinPropsList> steps { records({ "xterm;no_title;no_border", "b;ontop" }),
                                      records({ "b;sticky", "c;transparency=10" }),
                                      records({ "c;no_focus" }), WinPropsList() };
    QByteArray current = file;
    for (const WinPropsList &step : steps) {
        const QByteArray next = kwinRulesWith(current, step);
        QCOMPARE(kwinRulesWith(next, step), next); // nothing changes when nothing changed
        QCOMPARE(kwinUserRuleIds(next), userIds);
        for (const QByteArray &id : userIds)
            QCOMPARE(groupOf(next, id), groupOf(file, id));
        // Two rules a record: by the window's instance, then by its class.
        const QByteArray ours = "(kivo-winpropsd)";
        QCOMPARE(next.count(ours), 2 * step.size());
        QVERIFY2(next.contains(
                     QByteArray("count=" + QByteArray::number(userIds.size() + 2 * step.size()))),
                 next.constData());
        current = next;
    }
    // Once our records are gone, a file that listed its rules is as it was.
    if (file.contains("rules="))
        QCOMPARE(current, file);
}

void TestKwinRules::namesAreMatchedExactlyAsKConfigReadsThem()
{
    WinProps record(QStringLiteral("x;ontop"));
    record.setWinName(QStringLiteral(" a\\b=[c];d "));
    const KwinRule rule = kwinRuleOf(record);
    QVERIFY(rule.entries.contains("wmclass=\\sa\\\\b=[c];d\\s"));
    QVERIFY(rule.entries.contains("wmclassmatch=1"));
}

void TestKwinRules::whatRulesGoneForcedIsSetBack_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QByteArray>("undo"); // empty: no script
    // Given to windows opened before KWin read the rules again; empty: nothing.
    QTest::addColumn<QByteArray>("start");

    QTest::newRow("a record removed, its class in lower case")
        << QStringList { "XTerm;no_title;no_border;ontop" } << QStringList()
        << QByteArray(R"({"xterm":{"keepAbove":false,"noBorder":false}})") << QByteArray();
    QTest::newRow("a property dropped, another kept")
        << QStringList { "b;ontop;transparency=20" } << QStringList { "b;transparency=50" }
        << QByteArray(R"({"b":{"keepAbove":false}})") << QByteArray();
    QTest::newRow("transparency set back to opaque")
        << QStringList { "c;transparency=20;sticky" } << QStringList()
        << QByteArray(R"({"c":{"onAllDesktops":false,"opacity":1}})") << QByteArray();
    QTest::newRow("how a window starts is not taken back")
        << QStringList { "d;geometry=10x10+0+0;init_minimize" } << QStringList() << QByteArray()
        << QByteArray();
    QTest::newRow("how a window starts, given also to those opened meanwhile")
        << QStringList { "e;geometry=300x200-10-20;ontop" }
        << QStringList { "e;geometry=300x200-10-20;ontop", "F;init_maximize;init_minimize",
                         "g;geometry=0x0+5+6" }
        << QByteArray()
        << QByteArray(R"({"f":{"maximize":true,"minimize":true},"g":{"position":[5,6]}})");
    QTest::newRow("a start changed")
        << QStringList { "e;geometry=300x200-10-20" } << QStringList { "e;geometry=300x200+10+20" }
        << QByteArray() << QByteArray(R"({"e":{"position":[10,20],"size":[300,200]}})");
    QTest::newRow("nothing changed")
        << QStringList { "e;ontop" } << QStringList { "e;ontop" } << QByteArray() << QByteArray();
    QTest::newRow("a name that KConfig escapes")
        << QStringList { " f\\\\g;ontop" } << QStringList()
        << QByteArray(R"({" f\\g":{"keepAbove":false}})") << QByteArray();
    // Line ends to JavaScript, though JSON takes them as they are: escaped, or the script fails.
    QTest::newRow("names with U+2028 and U+2029")
        << QStringList { QString::fromUtf8("h\u2028i;ontop"), QString::fromUtf8("j\u2029;sticky") }
        << QStringList()
        << QByteArray(R"({"h\u2028i":{"keepAbove":false},"j\u2029":{"onAllDesktops":false}})")
        << QByteArray();
}

void TestKwinRules::whatRulesGoneForcedIsSetBack()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(QByteArray, undo);
    QFETCH(QByteArray, start);
    const QRect screen(0, 0, 1280, 800);
    const QByteArray file = kwinRulesWith({}, records(before), screen);
    const QByteArray script = kwinUndoScript(kwinUndo(file, records(after)));
    if (undo.isEmpty())
        QCOMPARE(script, QByteArray());
    else
        QVERIFY2(script.startsWith(QByteArray("var undo = " + undo + ";\n")), script.constData());
    const QJsonObject starts = kwinStartsChanged(file, records(after), screen);
    QCOMPARE(QJsonDocument(starts).toJson(QJsonDocument::Compact), start.isEmpty() ? "{}" : start);
}

// What a user's rule forces on the class stays: setting it back would override the user.
void TestKwinRules::theUsersForcedRulesAreNotUndone_data()
{
    QTest::addColumn<QByteArray>("userRule");
    QTest::addColumn<QByteArray>("undo");
    const QByteArray bothUndone = R"({"c":{"keepAbove":false,"opacity":1}})";
    const QByteArray aboveUndone = R"({"c":{"keepAbove":false}})";
    const QByteArray opacity90 = "opacityactive=90\nopacityactiverule=2\n";
    QTest::newRow("exactly that class, in other case")
        << QByteArray("wmclass=C\nwmclassmatch=1\n" + opacity90) << aboveUndone;
    QTest::newRow("a part of the class")
        << QByteArray("wmclass=c\nwmclassmatch=2\n" + opacity90) << aboveUndone;
    QTest::newRow("a pattern") << QByteArray("wmclass=^[a-c]$\nwmclassmatch=3\n" + opacity90)
                               << aboveUndone;
    QTest::newRow("any window") << QByteArray("wmclassmatch=0\n" + opacity90) << aboveUndone;
    QTest::newRow("another class")
        << QByteArray("wmclass=d\nwmclassmatch=1\n" + opacity90) << bothUndone;
    QTest::newRow("applied initially only")
        << QByteArray("wmclass=c\nwmclassmatch=1\nopacityactive=90\nopacityactiverule=3\n")
        << bothUndone;
}

void TestKwinRules::theUsersForcedRulesAreNotUndone()
{
    QFETCH(QByteArray, userRule);
    QFETCH(QByteArray, undo);
    const QByteArray file = "[General]\ncount=1\nrules=u1\n\n[u1]\nDescription=mine\n" + userRule;
    const QByteArray withOurs = kwinRulesWith(file, records({ "c;ontop;transparency=20" }));
    const QByteArray script = kwinUndoScript(kwinUndo(withOurs, {}));
    QVERIFY2(script.startsWith(QByteArray("var undo = " + undo + ";\n")), script.constData());
}

void TestKwinRules::theFileIsWrittenOnlyWhereNoUserRuleCanBeLost_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("notice");

    QTest::newRow("missing, in a folder not there yet") << "missing" << true << "";
    QTest::newRow("read-only") << "read-only" << false
                               << "KWin's rules in %1 cannot be written: window properties "
                                  "are not applied.";
    QTest::newRow("a folder in its place")
        << "folder" << false
        << "Cannot read KWin's rules in %1 (not a file): window properties "
           "are not applied, so that no rule of yours is lost.";
}

void TestKwinRules::theFileIsWrittenOnlyWhereNoUserRuleCanBeLost()
{
    QFETCH(QString, state);
    QFETCH(bool, written);
    QFETCH(QString, notice);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("config/kwinrulesrc"));
    if (state == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (state == QLatin1String("read-only")) {
        QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("config"))));
        write(path, userRules);
        QFile::setPermissions(path, QFile::ReadOwner);
    }
    KwinApplier applier(path, QDBusConnection(QStringLiteral("no bus")));
    QSignalSpy notices(&applier, &KwinApplier::notice);
    applier.setRecords(records({ "b;ontop" }));
    QCOMPARE(read(path).contains("(kivo-winpropsd)"), written);
    if (state == QLatin1String("read-only"))
        QCOMPARE(read(path), userRules);
    QCOMPARE(notices.size(), notice.isEmpty() ? 0 : 1);
    if (!notice.isEmpty())
        QCOMPARE(notices.first().first().toString(), notice.arg(path));
}

void TestKwinRules::aLinkStaysALink()
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("dotfiles-kwinrulesrc"));
    const QString link = folder.filePath(QStringLiteral("kwinrulesrc"));
    write(target, userRules);
    QVERIFY(QFile::link(target, link));
    KwinApplier applier(link, QDBusConnection(QStringLiteral("no bus")));
    applier.setRecords(records({ "b;ontop" }));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(read(target).contains("(kivo-winpropsd)"));
}

void TestKwinRules::aHandEditIsKept()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("kwinrulesrc"));
    KwinApplier applier(path, QDBusConnection(QStringLiteral("no bus")));
    applier.setRecords(records({ "b;ontop" }));
    write(path, kwinRulesWith(userRules, records({ "b;ontop" })));
    applier.setRecords(records({ "c;ontop" }));
    const QByteArray file = read(path);
    QCOMPARE(kwinUserRuleIds(file), QByteArrayList({ "1f0c", "9a7e" }));
    QCOMPARE(groupOf(file, "1f0c"), groupOf(userRules, "1f0c"));
    QVERIFY(file.contains("wmclass=c\n") && !file.contains("wmclass=b\n"));
}

void TestKwinRules::rulesFromTheFarEdgesFollowTheScreen()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("kwinrulesrc"));
    KwinApplier applier(path, QDBusConnection(QStringLiteral("no bus")));
    applier.start(records({ "b;geometry=300x200-10-20" }));
    QVERIFY(!read(path).contains("position="));
    applier.setScreen(QStringLiteral("0,0,1280,800"));
    QVERIFY(read(path).contains("position=970,580\n"));
    applier.setScreen(QStringLiteral("0,0,1920,1080"));
    QVERIFY(read(path).contains("position=1610,860\n"));
}

void TestKwinRules::tenThousandRecordsAreOneWrite()
{
    // Under the sanitizers, whose allocator records every allocation's stack, a tenth.
#ifdef KIVO_SANITIZED
    const int count = 1000;
#else
    const int count = 10000;
#endif
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(QStringLiteral("window%1;ontop;transparency=20").arg(i));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("kwinrulesrc"));
    write(path, userRules);
    KwinApplier applier(path, QDBusConnection(QStringLiteral("no bus")));
    const WinPropsList many = records(texts);
    applier.setRecords(many);
    // The next change reads those rules back: it must not cost more for holding them.
    QElapsedTimer timer;
    timer.start();
    applier.setRecords(many.mid(1));
    qInfo("a change among %d records written in %lld ms", count, timer.elapsed());
    const QByteArray file = read(path);
    QCOMPARE(file.count("(kivo-winpropsd)"), 2 * (count - 1));
    QCOMPARE(kwinUserRuleIds(file).size(), 2);
}

QTEST_GUILESS_MAIN(TestKwinRules)
#include "tst_kwinrules.moc"
