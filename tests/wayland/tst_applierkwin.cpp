// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/common/toolrun.h"
#include "tests/wayland/kwinsession.h"
#include "tests/x11/x11session.h"

#include <QDBusConnection>
#include <QJsonDocument>
#include <QRegularExpression>

#include <memory>

namespace {

// A rule the user made in System Settings, which must survive every change byte for byte.
const QByteArray userRule = "[5d1e9c2a]\nDescription=Settings for userclass\nwmclass=userclass\n"
                            "wmclassmatch=1\nabove=true\naboverule=2\n";

QByteArray rulesFile()
{
    QFile file(KwinSession::rulesPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// kivo-winpropsd on a headless KWin, with X11 windows of a test program under its Xwayland and a
// Wayland-native window: what KWin did with the properties, read back with a KWin script.
class TestApplierKwin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void theChoiceIsTheFirstLine();
    void theToolSaysWhatKwinDoes();
    void windowsFollowTheRecords_data();
    void windowsFollowTheRecords();
    void newWindowsStartAsTheRecordSays_data();
    void newWindowsStartAsTheRecordSays();
    void undoSurvivesQuickChangesAndOddNames_data();
    void undoSurvivesQuickChangesAndOddNames();
    void waylandWindowsMatchByAppId();
    void whatKwinCannotDoIsLoggedOnce();
    void theUserRuleStaysInForce();
    void aKwinStartedAgainIsGivenTheScriptAgain();
    void aRecordRemovedWhileTheServiceWasAwayIsUndone();
    void theInstanceRecordWinsOverTheClassRecord();

private:
    QString log();
    QString open(const QByteArray &className);
    bool holds(const QString &name, const QString &property, const QJsonValue &expected);

    KwinSession m_kwin;
    std::unique_ptr<X11TestClient> m_client;
    std::unique_ptr<ServiceProcess> m_service;
    std::unique_ptr<ApprcInterface> m_apprc;
    QString m_log;
    int m_windowNumber = 0;
};

void TestApplierKwin::initTestCase()
{
    registerWinPropsTypes();
    QDir().mkpath(QFileInfo(KwinSession::rulesPath()).absolutePath());
    QFile rules(KwinSession::rulesPath());
    QVERIFY(rules.open(QIODevice::WriteOnly));
    rules.write("[General]\ncount=1\nrules=5d1e9c2a\n\n" + userRule);
    rules.close();
    QVERIFY2(m_kwin.start(), qPrintable(m_kwin.error()));
    m_client = std::make_unique<X11TestClient>(m_kwin.environment());
    m_service = std::make_unique<ServiceProcess>();
    m_service->process().setProcessEnvironment(m_kwin.environment());
    m_service->process().setProcessChannelMode(QProcess::SeparateChannels);
    QVERIFY(m_service->start());
    m_apprc = std::make_unique<ApprcInterface>(
        WinPropsService::busName(), WinPropsService::objectPath(), QDBusConnection::sessionBus());
}

QString TestApplierKwin::log()
{
    m_log += QString::fromUtf8(m_service->process().readAllStandardError());
    return m_log;
}

// An X11 window whose WM_CLASS instance is a name of its own; KWin keeps it in lower case.
QString TestApplierKwin::open(const QByteArray &className)
{
    const QByteArray instance = "window" + QByteArray::number(++m_windowNumber);
    if (!m_client->open(X11TestClient::wmClass(instance, className)))
        return {};
    const QString name = QString::fromLatin1(instance);
    if (!X11Session::waitFor([&] { return !m_kwin.window(name).isEmpty(); }))
        return {};
    return name;
}

bool TestApplierKwin::holds(const QString &name, const QString &property,
                            const QJsonValue &expected)
{
    return X11Session::waitFor([&] {
        const QJsonValue value = m_kwin.window(name).value(property);
        return expected.isDouble() ? qFuzzyCompare(value.toDouble(), expected.toDouble())
                                   : value == expected;
    });
}

void TestApplierKwin::theChoiceIsTheFirstLine()
{
    QVERIFY(X11Session::waitFor([&] { return log().contains(QLatin1Char('\n')); }));
    const QStringList lines = log().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.first(),
             QStringLiteral("kivo-winpropsd: Applying window properties through KWin's window "
                            "rules in %1 (org.kde.KWin on the session bus).")
                 .arg(KwinSession::rulesPath()));
}

void TestApplierKwin::windowsFollowTheRecords_data()
{
    QTest::addColumn<QString>("properties");
    QTest::addColumn<QString>("property"); // as KWin's scripts name it
    QTest::addColumn<QJsonValue>("applied");
    QTest::addColumn<QJsonValue>("undone");

    // A property KWin's scripts show as true or false, and false or true again once undone.
    const auto flagRow = [](const char *row, const char *properties, const char *property,
                            bool applied) {
        QTest::newRow(row) << properties << property << QJsonValue(applied) << QJsonValue(!applied);
    };
    flagRow("no title and no border", "no_title;no_border", "noBorder", true);
    flagRow("on top", "ontop", "keepAbove", true);
    flagRow("on bottom", "onbottom", "keepBelow", true);
    flagRow("not on the pager", "no_pager", "skipPager", true);
    flagRow("no focus", "no_focus", "wantsInput", false);
    flagRow("no close", "no_button3", "closeable", false);
    flagRow("no taskbar button", "no_tbutton", "skipTaskbar", true);
    flagRow("not affect paging", "sticky", "onAllDesktops", true);
    QTest::newRow("transparency") << "transparency=30"
                                  << "opacity" << QJsonValue(0.7) << QJsonValue(1.0);
}

// An open window follows at once, a new one starts so; both are set back when the record goes,
// and the user's rule stays as it was all along.
void TestApplierKwin::windowsFollowTheRecords()
{
    QFETCH(QString, properties);
    QFETCH(QString, property);
    QFETCH(QJsonValue, applied);
    QFETCH(QJsonValue, undone);
    const QString className = QStringLiteral("Follow") + QString::number(m_windowNumber);
    const QString open = this->open(className.toUtf8());
    QVERIFY(!open.isEmpty());
    QVERIFY(holds(open, property, undone));

    QVERIFY(succeeded(m_apprc->setWindowProperties(className, properties)));
    QVERIFY2(holds(open, property, applied), qPrintable(log() + rulesFile()));
    const QString opened = this->open(className.toUtf8());
    QVERIFY(holds(opened, property, applied));
    QVERIFY(rulesFile().contains(userRule));

    QVERIFY(succeeded(m_apprc->removeWindowProperties(className)));
    QVERIFY2(holds(open, property, undone), qPrintable(log() + rulesFile()));
    QVERIFY(holds(opened, property, undone));
    // A later change of another record leaves them undone: once KWin has applied it, they are.
    const QString other = QStringLiteral("Other") + QString::number(m_windowNumber);
    const QString otherWindow = this->open(other.toUtf8());
    QVERIFY(succeeded(m_apprc->setWindowProperties(other, "ontop")));
    QVERIFY(holds(otherWindow, QStringLiteral("keepAbove"), true));
    QCOMPARE(m_kwin.window(open).value(property), undone);
    QCOMPARE(m_kwin.window(opened).value(property), undone);
    QVERIFY(succeeded(m_apprc->removeWindowProperties(other)));
    QVERIFY(holds(otherWindow, QStringLiteral("keepAbove"), false));
    QVERIFY2(
        rulesFile().startsWith(QByteArray("[General]\ncount=1\nrules=5d1e9c2a\n\n" + userRule)),
        rulesFile().constData());
    QVERIFY(!rulesFile().contains("kivo-winpropsd"));
}

void TestApplierKwin::undoSurvivesQuickChangesAndOddNames_data()
{
    QTest::addColumn<int>("windows");
    QTest::addColumn<QString>("oddName"); // removed in the same change as the windows' records
    QTest::newRow("two removals back to back") << 2 << QString();
    QTest::newRow("three removals back to back") << 3 << QString();
    QTest::newRow("a name with U+2028 in the same change")
        << 1 << QString::fromUtf8("odd\u2028name");
    QTest::newRow("a name with U+2029, quotes and backslashes in the same change")
        << 1 << QString::fromUtf8("odd\u2029\"'\\name");
}

// Each removal is set back on its window, however soon the next change comes, and whatever
// names the undo script carries; KWin itself runs it.
void TestApplierKwin::undoSurvivesQuickChangesAndOddNames()
{
    QFETCH(int, windows);
    QFETCH(QString, oddName);
    QStringList classes;
    QStringList opened;
    for (int i = 0; i < windows; ++i) {
        classes.append(QStringLiteral("Quick") + QString::number(m_windowNumber));
        opened.append(open(classes.last().toUtf8()));
        QVERIFY(!opened.last().isEmpty());
        QVERIFY(succeeded(m_apprc->setWindowProperties(classes.last(), "ontop")));
    }
    if (!oddName.isEmpty())
        QVERIFY(succeeded(m_apprc->setWindowProperties(oddName, "ontop")));
    for (const QString &window : qAsConst(opened))
        QVERIFY(holds(window, QStringLiteral("keepAbove"), true));
    if (oddName.isEmpty()) {
        for (const QString &className : qAsConst(classes))
            QVERIFY(succeeded(m_apprc->removeWindowProperties(className)));
    } else {
        WinPropsList kept;
        for (const WinProps &record : m_apprc->readAllProperties().records) {
            if (record.winName() != oddName && !classes.contains(record.winName()))
                kept.append(record);
        }
        QVERIFY(succeeded(m_apprc->setAllProperties(kept)));
    }
    for (const QString &window : qAsConst(opened))
        QVERIFY2(holds(window, QStringLiteral("keepAbove"), false), qPrintable(log()));
    QVERIFY(!log().contains(QLatin1String("error")));
}

void TestApplierKwin::newWindowsStartAsTheRecordSays_data()
{
    QTest::addColumn<QString>("properties");
    QTest::addColumn<QJsonObject>("started"); // what KWin's scripts read of the new window
    // Opened at once, before KWin has read its rules again (it waits a moment when told to).
    QTest::addColumn<bool>("rightAfterTheStore");

    const QSize screen = KwinSession::screenSize();
    const QJsonObject bottomRight { { "x", screen.width() - 10 - 300 },
                                    { "y", screen.height() - 20 - 200 },
                                    { "width", 300 },
                                    { "height", 200 } };
    const QJsonObject maximized {
        { "x", 0 }, { "y", 0 }, { "width", screen.width() }, { "height", screen.height() }
    };
    const QJsonObject minimized { { "minimized", true } };
    QTest::newRow("geometry from the top left")
        << "geometry=300x200+30+40"
        << QJsonObject { { "x", 30 }, { "y", 40 }, { "width", 300 }, { "height", 200 } } << false;
    QTest::newRow("geometry from the bottom right: the frame's far edges")
        << "geometry=300x200-10-20" << bottomRight << false;
    QTest::newRow("geometry at a negative offset")
        << "geometry=300x200+-5+10"
        << QJsonObject { { "x", -5 }, { "y", 10 }, { "width", 300 }, { "height", 200 } } << false;
    QTest::newRow("maximized") << "init_maximize" << maximized << false;
    QTest::newRow("minimized") << "init_minimize" << minimized << false;
    QTest::newRow("geometry, opened right after the store")
        << "geometry=300x200-10-20" << bottomRight << true;
    QTest::newRow("maximized, opened right after the store")
        << "init_maximize" << maximized << true;
    QTest::newRow("minimized, opened right after the store")
        << "init_minimize" << minimized << true;
}

// A window open before the record keeps how it started.
void TestApplierKwin::newWindowsStartAsTheRecordSays()
{
    QFETCH(QString, properties);
    QFETCH(QJsonObject, started);
    QFETCH(bool, rightAfterTheStore);
    const QString className = QStringLiteral("Started") + QString::number(m_windowNumber);
    const QString before = open(className.toUtf8());
    QVERIFY(!before.isEmpty());
    const QJsonObject open = m_kwin.window(before);
    // KWin reads its rules a moment after it is told to: the window it keeps above shows when.
    QVERIFY(
        succeeded(m_apprc->setWindowProperties(className, QStringLiteral("ontop;") + properties)));
    if (!rightAfterTheStore)
        QVERIFY(holds(before, QStringLiteral("keepAbove"), true));
    const QString window = this->open(className.toUtf8());
    QVERIFY(!window.isEmpty());
    for (auto property = started.begin(); property != started.end(); ++property) {
        QVERIFY2(holds(window, property.key(), property.value()),
                 qPrintable(property.key() + QJsonDocument(m_kwin.window(window)).toJson() + log()
                            + rulesFile()));
        QCOMPARE(m_kwin.window(before).value(property.key()), open.value(property.key()));
    }
    QVERIFY(succeeded(m_apprc->removeWindowProperties(className)));
}

void TestApplierKwin::waylandWindowsMatchByAppId()
{
    // KWin compares the class in lower case; app ids keep theirs.
    const QString appId = QStringLiteral("org.kivo.kwintest");
    QVERIFY(succeeded(m_apprc->setWindowProperties(appId, QStringLiteral("no_title;no_border"))));
    QProcess client;
    QProcessEnvironment environment = m_kwin.environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    client.setProcessEnvironment(environment);
    client.start(QStringLiteral(KIVO_WAYLAND_TEST_CLIENT), { appId });
    QVERIFY2(holds(appId, QStringLiteral("noBorder"), true), qPrintable(log()));
    // KWin keeps its Wayland windows closeable: said once.
    QVERIFY(succeeded(m_apprc->setWindowProperties(appId, QStringLiteral("no_button3"))));
    QVERIFY(X11Session::waitFor([&] {
        return log().contains(QStringLiteral("no_button3 of \"%1\" applies to its X11 windows "
                                             "only: KWin keeps Wayland windows closeable.")
                                  .arg(appId));
    }));
    QVERIFY(succeeded(m_apprc->removeWindowProperties(appId)));
    QVERIFY(holds(appId, QStringLiteral("noBorder"), false));
    client.kill();
    client.waitForFinished();
}

void TestApplierKwin::whatKwinCannotDoIsLoggedOnce()
{
    const QString line = QStringLiteral("The properties no_title, shadow of \"Partly\" have no "
                                        "effect on this desktop (KWin on ");
    QVERIFY(succeeded(m_apprc->setWindowProperties(QStringLiteral("Partly"),
                                                   QStringLiteral("no_title;shadow=0"))));
    QVERIFY(X11Session::waitFor([&] { return log().contains(line); }));
    QVERIFY(
        succeeded(m_apprc->setWindowProperties(QStringLiteral("Other"), QStringLiteral("ontop"))));
    QVERIFY(X11Session::waitFor([&] { return rulesFile().contains("wmclass=Other"); }));
    QCOMPARE(log().count(line), 1);
}

// After all the changes above.
void TestApplierKwin::theUserRuleStaysInForce()
{
    const QString window = open("userclass");
    QVERIFY(!window.isEmpty());
    QVERIFY(holds(window, QStringLiteral("keepAbove"), true));
    QVERIFY(rulesFile().contains(userRule));
}

// Last: KWin is started again, with an X display of its own.
// Also after KWin ended as at logout, when it writes the rules file in its own way: our rules
// stay ours, and go when their records go.
void TestApplierKwin::aKwinStartedAgainIsGivenTheScriptAgain()
{
    QVERIFY(succeeded(m_apprc->setWindowProperties(QStringLiteral("Ended"),
                                                   QStringLiteral("no_title;no_border;ontop"))));
    // Read by KWin, which then writes it back as one of its own.
    QVERIFY(holds(open("Ended"), QStringLiteral("keepAbove"), true));
    m_kwin.kill();
    QVERIFY2(m_kwin.start(), qPrintable(m_kwin.error()));
    m_client = std::make_unique<X11TestClient>(m_kwin.environment());
    QVERIFY(X11Session::waitFor(
        [&] { return m_kwin.isScriptLoaded(QStringLiteral("kivo-winpropsd-watch")); }));
    // It gives a window opened before KWin read the rules how it starts.
    QVERIFY(succeeded(
        m_apprc->setWindowProperties(QStringLiteral("Again"), QStringLiteral("init_minimize"))));
    const QString window = open("Again");
    QVERIFY(!window.isEmpty());
    QVERIFY(holds(window, QStringLiteral("minimized"), true));
    const QString ended = open("Ended");
    QVERIFY(holds(ended, QStringLiteral("keepAbove"), true));
    QVERIFY(succeeded(m_apprc->removeWindowProperties(QStringLiteral("Ended"))));
    QVERIFY2(holds(ended, QStringLiteral("keepAbove"), false), rulesFile().constData());
    QVERIFY2(!rulesFile().contains("wmclass=Ended"), rulesFile().constData());
}

// The record goes while no service runs: the service started again takes back what its rule did.
void TestApplierKwin::aRecordRemovedWhileTheServiceWasAwayIsUndone()
{
    const QString className = QStringLiteral("Away");
    QVERIFY(
        succeeded(m_apprc->setWindowProperties(className, "no_title;no_border;ontop;no_tbutton")));
    const QString window = open(className.toUtf8());
    QVERIFY(holds(window, QStringLiteral("keepAbove"), true));
    QVERIFY(holds(window, QStringLiteral("skipTaskbar"), true));
    QVERIFY(m_service->stop());
    const QStringList kept = m_service->readStorage().filter(QRegularExpression("^(?!Away;)"));
    m_service->writeStorage(kept);
    QVERIFY(m_service->start());
    for (const char *property : { "keepAbove", "skipTaskbar", "noBorder" })
        QVERIFY2(holds(window, QLatin1String(property), false), qPrintable(log() + rulesFile()));
}

// As on every desktop: a record named like the window's instance, else one named like its class;
// never a mix of both.
void TestApplierKwin::theInstanceRecordWinsOverTheClassRecord()
{
    QVERIFY(m_client->open(X11TestClient::wmClass("navigator", "Browser")));
    QVERIFY(X11Session::waitFor([&] { return !m_kwin.window("navigator").isEmpty(); }));
    QVERIFY(succeeded(m_apprc->setWindowProperties("Browser", "ontop")));
    QVERIFY(succeeded(m_apprc->setWindowProperties("navigator", "no_pager")));
    QVERIFY2(holds("navigator", "skipPager", true), qPrintable(log() + rulesFile()));
    QVERIFY(holds("navigator", "keepAbove", false));
    QVERIFY(succeeded(m_apprc->removeWindowProperties("navigator")));
    QVERIFY(holds("navigator", "skipPager", false));
    QVERIFY(holds("navigator", "keepAbove", true));
    QVERIFY(succeeded(m_apprc->removeWindowProperties("Browser")));
    QVERIFY(holds("navigator", "keepAbove", false));
}

// What --desktop says is what the rows above find KWin doing.
void TestApplierKwin::theToolSaysWhatKwinDoes()
{
    const ToolRun run = runTool({ QStringLiteral("--desktop") });
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("Desktop: KWin on Wayland"));
    for (const char *line :
         { "no_title: applied (only together with no_border: KWin's rule takes the whole frame "
           "away)",
           "ontop: applied", "onbottom: applied (not together with ontop)", "no_pager: applied",
           "no_focus: applied",
           "no_button3: applied (X11 windows only: KWin keeps Wayland windows closeable)",
           "no_tbutton: applied", "sticky: applied", "transparency: applied", "shadow: no effect" })
        QVERIFY2(lines.contains(QLatin1String(line)), line);
}

KIVO_TEST_MAIN_ENTERING(TestApplierKwin, enterAsCompositorUser(argc, argv))
#include "tst_applierkwin.moc"
