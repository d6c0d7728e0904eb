// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qtcompat/qtcompat.h"
#include "platform/winprops/winprops.h"
#include "platform/winprops/winpropsfields.h"
#include "platform/winprops/winpropsservice.h"
#include "tests/platform/winprops/propertysamples.h"

#include <QDBusArgument>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

QString sourceText(const char *path)
{
    QFile file(QStringLiteral(KIVO_SOURCE_DIR "/") + QLatin1String(path));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", path);
    return QString::fromUtf8(file.readAll());
}

QStringList captures(const QString &text, const QString &pattern)
{
    QStringList found;
    QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext())
        found.append(it.next().captured(1));
    return found;
}

QStringList keysWhere(bool (*wanted)(const WinPropsField &))
{
    QStringList keys;
    for (const WinPropsField &field : winPropsFields()) {
        if (wanted(field))
            keys.append(field.key());
    }
    return keys;
}

} // namespace

class TestWinProps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerWinPropsTypes(); }

    void defaults()
    {
        const WinProps props;
        QVERIFY(props.isValid());
        QVERIFY(props.isNull());
        QVERIFY(props.winName().isEmpty());
        QVERIFY(props.small_image.isEmpty() && props.large_image.isEmpty());
        QVERIFY(props.geometry.isEmpty());
        QCOMPARE(props.shadow, 0xFFFFFFFFu);
        QCOMPARE(props.transparency, 0xFFFFFFFFu);
        for (const WinPropsField &field : winPropsFields())
            QVERIFY2(!field.isSet(props), field.name);
    }

    void isNull_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("null");
        QTest::newRow("name only") << "xterm" << true;
        QTest::newRow("switches off") << "xterm;no_title=0;ontop=off" << true;
        QTest::newRow("unset numbers") << "xterm;shadow=-1;transparency=" << true;
        for (const WinPropsField &field : winPropsFields())
            QTest::addRow("%s", field.name)
                << QStringLiteral("xterm;") + settingOf(field, plainValue(field)) << false;
        QTest::newRow("shadow 0") << "xterm;shadow=0" << false;
        QTest::newRow("transparency 100") << "xterm;transparency=100" << false;
    }

    void isNull()
    {
        QFETCH(QString, record);
        QFETCH(bool, null);
        const WinProps props(record);
        QVERIFY2(props.isValid(), qPrintable(props.errorString()));
        QCOMPARE(props.isNull(), null);
    }

    void isNullAboveHundred()
    {
        WinProps props;
        props.shadow = 101;
        props.transparency = 5000;
        QVERIFY(props.isNull());
    }

    void parse_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("example") << "xterm;no_title;no_border;geometry=640x480+0+0;shadow=40"
                                 << "xterm"
                                 << "xterm;no_title;no_border;geometry=640x480+0+0;shadow=40";
        QTest::newRow("member order") << "a;shadow=5;ontop=yes;sticky=TRUE;small_image=x"
                                      << "a"
                                      << "a;sticky;small_image=x;ontop;shadow=5";
        QTest::newRow("switch off dropped") << "a;no_pager=no"
                                            << "a"
                                            << "a";
        QTest::newRow("spaces kept") << "  ;large_image= icon "
                                     << "  "
                                     << "  ;large_image= icon ";
        QTest::newRow("escapes") << "a\\;b\\=c\\\\d;small_image=x\\;y"
                                 << "a;b=c\\d"
                                 << "a\\;b\\=c\\\\d;small_image=x\\;y";
        QTest::newRow("equals in name") << "a=b"
                                        << "a=b"
                                        << "a\\=b";
        QTest::newRow("equals in value") << "a;small_image=x=y"
                                         << "a"
                                         << "a;small_image=x\\=y";
        QTest::newRow("non-ASCII") << "Привет 世界;transparency=100"
                                   << "Привет 世界"
                                   << "Привет 世界;transparency=100";
        QTest::newRow("unset numbers") << "a;shadow=-1;transparency="
                                       << "a"
                                       << "a";
        QTest::newRow("empty image") << "a;small_image="
                                     << "a"
                                     << "a";
        QTest::newRow("leading zeros") << "a;shadow=007"
                                       << "a"
                                       << "a;shadow=7";
        QTest::newRow("negative offsets") << "a;geometry=1x2+-3--4"
                                          << "a"
                                          << "a;geometry=1x2+-3--4";
        // Control characters are written as escapes, so a record never spans two lines.
        QTest::newRow("newline and tab escapes") << "a\\nb;small_image=x\\ty"
                                                 << "a\nb"
                                                 << "a\\nb;small_image=x\\ty";
        QTest::newRow("code escapes") << "\\u001B[2J\\u0085\\u2028\\u007f\\u0041"
                                      << QString::fromUtf16(u"\x1b[2J\x85\u2028\x7f"
                                                            "A")
                                      << "\\u001b[2J\\u0085\\u2028\\u007fA";
    }

    void parse()
    {
        QFETCH(QString, record);
        QFETCH(QString, name);
        QFETCH(QString, canonical);
        const WinProps props(record);
        QVERIFY2(props.isValid(), qPrintable(props.errorString()));
        QCOMPARE(props.winName(), name);
        QCOMPARE(props.toString(), canonical);
        QCOMPARE(WinProps(canonical), props);
    }

    void reject_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << ""
                               << "name is empty";
        QTest::newRow("empty name") << ";no_title"
                                    << "name is empty";
        QTest::newRow("unknown key") << "a;no_titel"
                                     << "\"no_titel\" is not a window property";
        QTest::newRow("case of key") << "a;No_title"
                                     << "not a window property";
        QTest::newRow("repeated") << "a;ontop;ontop=0"
                                  << "given twice";
        QTest::newRow("bad switch") << "a;ontop=maybe"
                                    << "not a value of the switch";
        QTest::newRow("switch empty") << "a;ontop="
                                      << "not a value of the switch";
        QTest::newRow("over 100") << "a;shadow=101"
                                  << "from 0 to 100";
        QTest::newRow("negative") << "a;shadow=-2"
                                  << "from 0 to 100";
        QTest::newRow("not a number") << "a;transparency=ten"
                                      << "from 0 to 100";
        QTest::newRow("huge") << "a;shadow=99999999999999999999"
                              << "from 0 to 100";
        QTest::newRow("plus sign") << "a;shadow=+5"
                                   << "from 0 to 100";
        QTest::newRow("number needs value") << "a;shadow"
                                            << "needs a value";
        QTest::newRow("image needs value") << "a;small_image"
                                           << "needs a value";
        QTest::newRow("geometry") << "a;geometry=640x480"
                                  << "not a geometry";
        QTest::newRow("geometry capital X") << "a;geometry=640X480+0+0"
                                            << "not a geometry";
        QTest::newRow("geometry newline") << "a;geometry=640x480+0+0\n"
                                          << "control character";
        QTest::newRow("dangling backslash") << "a\\"
                                            << "backslash";
        QTest::newRow("unknown escape") << "a\\q"
                                        << "not an escape";
        QTest::newRow("short code escape") << "a\\u12;ontop"
                                           << "four hexadecimal digits";
        QTest::newRow("code escape not hexadecimal") << "a\\u00g1"
                                                     << "four hexadecimal digits";
        QTest::newRow("code escape at the end") << "a\\u"
                                                << "four hexadecimal digits";
        QTest::newRow("control in name") << QString("a\tb") << "control character U+0009";
        QTest::newRow("NUL") << QString::fromUtf16(u"a\0b", 3) << "control character U+0000";
        QTest::newRow("empty property") << "a;;ontop"
                                        << "empty property";
        QTest::newRow("trailing semicolon") << "a;"
                                            << "empty property";
        QTest::newRow("no key") << "a;=1"
                                << "no name";
    }

    void reject()
    {
        QFETCH(QString, record);
        QFETCH(QString, reason);
        const WinProps props(record);
        QVERIFY(!props.isValid());
        QVERIFY2(props.errorString().contains(reason), qPrintable(props.errorString()));
        QVERIFY(props.winName().isEmpty());
        QVERIFY(props.isNull());
    }

    void roundTripEveryMember_data()
    {
        QTest::addColumn<QString>("member");
        for (const WinPropsField &field : winPropsFields())
            QTest::newRow(field.name) << QString::fromLatin1(field.name);
        QTest::newRow("all together") << QString();
    }

    void roundTripEveryMember()
    {
        QFETCH(QString, member);
        WinProps props;
        for (const WinPropsField &field : winPropsFields()) {
            if (member.isEmpty() || member == field.key())
                field.setValue(props, awkwardValue(field));
        }
        QVERIFY(!props.isNull());
        QVERIFY(props != WinProps());
        props.setWinName(QStringLiteral("x;=\\ y\n\t\r"));
        QCOMPARE(WinProps(props.toString()), props);
        QVERIFY(props.storageProblem().isNull());
    }

    void equalityOfUnsetNumbers()
    {
        WinProps a;
        WinProps b;
        a.shadow = 101;
        b.shadow = WinProps::NotSet;
        QCOMPARE(a, b);
        b.shadow = 100;
        QVERIFY(a != b);
        b = a;
        b.setWinName(QStringLiteral("other"));
        QVERIFY(a != b);
    }

    void storageProblem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("geometry");
        QTest::addColumn<bool>("storable");
        QTest::newRow("fine") << "a"
                              << "" << true;
        QTest::newRow("empty name") << ""
                                    << "" << false;
        QTest::newRow("control in name is escaped") << "a\nb\x1b"
                                                    << "" << true;
        QTest::newRow("bad geometry") << "a"
                                      << "garbage" << false;
    }

    void storageProblem()
    {
        QFETCH(QString, name);
        QFETCH(QString, geometry);
        QFETCH(bool, storable);
        WinProps props;
        props.setWinName(name);
        props.geometry = geometry;
        QCOMPARE(props.storageProblem().isNull(), storable);
    }

    void dbusSignature()
    {
        QCOMPARE(QString::fromLatin1(QtCompat::dbusSignature<WinProps>()), winPropsSignature());
        QCOMPARE(QString::fromLatin1(QtCompat::dbusSignature<WinPropsList>()),
                 winPropsListSignature());
        // The name, then one member each.
        QCOMPARE(winPropsSignature().size(), int(winPropsFields().size()) + 3);
    }

    void interfaceDescriptionCarriesTheRecord_data()
    {
        QTest::addColumn<QString>("type");
        const QStringList types
            = captures(sourceText("platform/winprops/org.kivo.Kivo.WinProps.Apprc.xml"),
                       QStringLiteral("type=\"([^\"]*\\(sb[^\"]*)\""));
        // One signal and eight methods carry records: a name and switches.
        QCOMPARE(types.size(), 9);
        for (const QString &type : types)
            QTest::newRow(qPrintable(type)) << type;
    }

    void interfaceDescriptionCarriesTheRecord()
    {
        QFETCH(QString, type);
        QVERIFY(type == winPropsSignature() || type == winPropsListSignature());
    }

    void manualNamesEveryProperty()
    {
        const QString manual = sourceText("man/kivo-admin-winprops.1");
        const int switchesAt = manual.indexOf(QLatin1String("\nSwitches:\n"));
        const int othersAt = manual.indexOf(QLatin1String("\nOther keys:\n"));
        const int othersEnd = manual.indexOf(QLatin1String("\n.PP\n"), othersAt);
        QVERIFY(switchesAt >= 0 && othersAt > switchesAt && othersEnd > othersAt);
        const QString word = QStringLiteral("[ \"]([a-z][a-z0-9_]*)");
        const QStringList switches = captures(manual.mid(switchesAt, othersAt - switchesAt),
                                              QStringLiteral("\n\\.BR") + word);
        QCOMPARE(switches, keysWhere([](const WinPropsField &field) {
                     return field.kind == WinPropsKind::Switch;
                 }));
        const QString others = manual.mid(othersAt, othersEnd - othersAt);
        QStringList named;
        for (const QString &line : captures(others, QStringLiteral("\n\\.TP\n\\.BR? ([^\n]*)")))
            named += captures(QLatin1Char(' ') + line, word);
        named.sort();
        QStringList expected = keysWhere(
            [](const WinPropsField &field) { return field.kind != WinPropsKind::Switch; });
        expected.sort();
        QCOMPARE(named, expected);
    }
};

QTEST_GUILESS_MAIN(TestWinProps)
#include "tst_winprops.moc"
