// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/common/toolrun.h"
#include "tests/wayland/swaysession.h"
#include "tests/x11/x11session.h"

#include <QDBusConnection>
#include <QJsonDocument>

#include <memory>

namespace {

enum class Check {
    Border, // expected: the container's "border"
    Sticky, // expected: bool
    Frame, // expected: QRect of the window and its title bar among both outputs
    Hidden, // expected: nothing; the window is in the scratchpad
    Closed, // expected: nothing; the window was closed
    LogLine, // expected: a line the daemon logs
};

// Side by side, as the session's configuration puts them.
const QRect output(0, 0, 1280, 720);
const QRect secondOutput(1280, 0, 800, 600);

QRect rectOf(const QJsonObject &container, const char *key)
{
    const QJsonObject rect = container.value(QLatin1String(key)).toObject();
    return QRect(rect.value(QLatin1String("x")).toInt(), rect.value(QLatin1String("y")).toInt(),
                 rect.value(QLatin1String("width")).toInt(),
                 rect.value(QLatin1String("height")).toInt());
}

// The window with its title bar above it, which sway keeps apart from the rest of the
// container (and places relative to the workspace).
QRect frameOf(const QJsonObject &container)
{
    return rectOf(container, "rect").adjusted(0, -rectOf(container, "deco_rect").height(), 0, 0);
}

bool isFloating(const QJsonObject &container)
{
    return container.value(QLatin1String("type")) == QLatin1String("floating_con");
}

} // namespace

Q_DECLARE_METATYPE(Check)

// kivo-winpropsd on a headless sway, with X11 windows of a test program under its Xwayland:
// what sway did with the properties, read back from its tree.
class TestApplierSway : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void newWindowsGetTheirProperties_data();
    void newWindowsGetTheirProperties();
    void openWindowsFollowTheCollection();
    void namesMatchExactly();
    void waylandWindowsMatchByAppId();
    void swayComingBackGetsThePropertiesAgain_data();
    void swayComingBackGetsThePropertiesAgain();
    void theChoiceIsTheFirstLine_data();
    void theChoiceIsTheFirstLine();
    void theToolSaysWhatSwayDoes();

private:
    bool startService(ServiceProcess &service, const QStringList &arguments = {});
    QString log();
    quint32 open(const QByteArray &className);
    bool holds(Check check, quint32 window, const QVariant &expected);
    QString describe(quint32 window) const;

    SwaySession m_sway;
    std::unique_ptr<X11TestClient> m_client;
    std::unique_ptr<ServiceProcess> m_service;
    std::unique_ptr<ApprcInterface> m_apprc;
    QString m_log;
    int m_windowNumber = 0;
};

void TestApplierSway::initTestCase()
{
    registerWinPropsTypes();
    QVERIFY2(m_sway.start(), qPrintable(m_sway.error()));
    m_client = std::make_unique<X11TestClient>(m_sway.environment(), m_sway.launcher());
    m_service = std::make_unique<ServiceProcess>();
    QVERIFY(startService(*m_service));
    m_apprc = std::make_unique<ApprcInterface>(
        WinPropsService::busName(), WinPropsService::objectPath(), QDBusConnection::sessionBus());
}

bool TestApplierSway::startService(ServiceProcess &service, const QStringList &arguments)
{
    service.process().setProcessEnvironment(m_sway.environment());
    service.process().setProcessChannelMode(QProcess::SeparateChannels);
    return service.start(arguments);
}

QString TestApplierSway::log()
{
    m_log += QString::fromUtf8(m_service->process().readAllStandardError());
    return m_log;
}

quint32 TestApplierSway::open(const QByteArray &className)
{
    const quint32 window = m_client->open(X11TestClient::wmClass("instance", className));
    if (!X11Session::waitFor([&] { return !m_sway.x11Window(window).isEmpty(); }))
        return 0;
    return window;
}

bool TestApplierSway::holds(Check check, quint32 window, const QVariant &expected)
{
    const QJsonObject container = m_sway.x11Window(window);
    switch (check) {
    case Check::Border:
        return container.value(QLatin1String("border")).toString() == expected.toString();
    case Check::Sticky:
        return container.value(QLatin1String("sticky")).toBool() == expected.toBool();
    case Check::Frame:
        return frameOf(container) == expected.toRect();
    case Check::Hidden:
        return container.value(QLatin1String("visible")) == QJsonValue(false);
    case Check::Closed:
        return m_client->waitForDeleted(window, 0);
    case Check::LogLine:
        return log().contains(expected.toString());
    }
    return false;
}

QString TestApplierSway::describe(quint32 window) const
{
    return QString::fromUtf8(QJsonDocument(m_sway.x11Window(window)).toJson());
}

void TestApplierSway::newWindowsGetTheirProperties_data()
{
    QTest::addColumn<QString>("properties");
    QTest::addColumn<Check>("check");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QString>("appearsOn"); // the output

    QTest::newRow("no title leaves the border")
        << "no_title" << Check::Border << QVariant("pixel") << "HEADLESS-1";
    QTest::newRow("no title and no border")
        << "no_title;no_border" << Check::Border << QVariant("none") << "HEADLESS-1";
    QTest::newRow("no border alone has no effect")
        << "no_border" << Check::LogLine
        << QVariant("The properties no_border of \"%1\" have no effect on this desktop (sway).")
        << "HEADLESS-1";
    QTest::newRow("what sway has no way to do")
        << "ontop;no_tbutton;no_focus;shadow=0" << Check::LogLine
        << QVariant("The properties no_focus, no_tbutton, ontop, shadow of \"%1\" have no effect "
                    "on this desktop (sway).")
        << "HEADLESS-1";
    QTest::newRow("not affect paging")
        << "sticky" << Check::Sticky << QVariant(true) << "HEADLESS-1";
    QTest::newRow("not affect paging, said of a tiled window")
        << "sticky" << Check::LogLine
        << QVariant("sticky of \"%1\" has no effect on its tiled windows: sway keeps only floating "
                    "windows on every workspace.")
        << "HEADLESS-1";
    QTest::newRow("geometry from the top left")
        << "geometry=300x200+30+40" << Check::Frame << QVariant(QRect(30, 40, 300, 200))
        << "HEADLESS-1";
    QTest::newRow("geometry from the bottom right")
        << "geometry=300x200-30-40" << Check::Frame
        << QVariant(QRect(output.width() - 330, output.height() - 240, 300, 200)) << "HEADLESS-1";
    QTest::newRow("geometry from the top left of the second output")
        << "geometry=300x200+30+40" << Check::Frame
        << QVariant(QRect(secondOutput.x() + 30, secondOutput.y() + 40, 300, 200)) << "HEADLESS-2";
    QTest::newRow("geometry from the bottom right of the second output")
        << "geometry=300x200-30-40" << Check::Frame
        << QVariant(
               QRect(secondOutput.right() + 1 - 330, secondOutput.bottom() + 1 - 240, 300, 200))
        << "HEADLESS-2";
    QTest::newRow("minimized") << "init_minimize" << Check::Hidden << QVariant() << "HEADLESS-1";
    QTest::newRow("close soon") << "close_soon" << Check::Closed << QVariant() << "HEADLESS-1";
}

void TestApplierSway::newWindowsGetTheirProperties()
{
    QFETCH(QString, properties);
    QFETCH(Check, check);
    QFETCH(QVariant, expected);
    QFETCH(QString, appearsOn);
    const QString name = QStringLiteral("New%1").arg(++m_windowNumber);
    if (expected.toString().contains(QLatin1String("%1")))
        expected = expected.toString().arg(name);
    QVERIFY(succeeded(m_apprc->setWindowProperties(name, properties)));
    QVERIFY(m_sway.command(QStringLiteral("focus output ") + appearsOn));
    const quint32 window = open(name.toUtf8());
    QVERIFY(window);
    QVERIFY2(X11Session::waitFor([&] { return holds(check, window, expected); }),
             qPrintable(log() + describe(window)));
    QVERIFY(m_sway.command(QStringLiteral("focus output HEADLESS-1")));
    if (check != Check::Closed)
        QVERIFY(m_client->destroy(window));
}

void TestApplierSway::openWindowsFollowTheCollection()
{
    const QString name = QStringLiteral("Open");
    const quint32 window = open(name.toUtf8());
    QVERIFY(window);
    // Listed in sway's tree, a window may not have its border yet (seen under load).
    QVERIFY2(X11Session::waitFor([&] { return holds(Check::Border, window, "normal"); }),
             qPrintable(describe(window)));

    QVERIFY(succeeded(m_apprc->setWindowProperties(
        name, QStringLiteral("no_title;no_border;sticky;transparency=50;geometry=100x100+0+0"))));
    QVERIFY(X11Session::waitFor([&] {
        return holds(Check::Border, window, "none") && holds(Check::Sticky, window, true);
    }));
    // How a window starts is for new windows only.
    QVERIFY(!isFloating(m_sway.x11Window(window)));

    QVERIFY(succeeded(m_apprc->removeWindowProperties(name)));
    QVERIFY2(X11Session::waitFor([&] {
                 return holds(Check::Border, window, "normal")
                     && holds(Check::Sticky, window, false);
             }),
             qPrintable(log() + describe(window)));
    QVERIFY2(!log().contains(QLatin1String("sway refused")), qPrintable(log()));
    QVERIFY(m_client->destroy(window));
}

void TestApplierSway::namesMatchExactly()
{
    // Characters that sway's criteria would read as quotes, brackets and patterns.
    const QString name = QStringLiteral("a.b[c]\"*'");
    QVERIFY(succeeded(m_apprc->setWindowProperties(name, QStringLiteral("no_title"))));
    const quint32 alike = open("aXb[c]\"*'");
    const quint32 exact = open(name.toUtf8());
    QVERIFY(alike && exact);
    QVERIFY(X11Session::waitFor([&] { return holds(Check::Border, exact, "pixel"); }));
    QVERIFY(holds(Check::Border, alike, "normal"));
    QVERIFY(m_client->destroy(alike));
    QVERIFY(m_client->destroy(exact));
}

void TestApplierSway::waylandWindowsMatchByAppId()
{
    const QString appId = QStringLiteral("org.kivo.WaylandTest");
    QVERIFY(succeeded(m_apprc->setWindowProperties(appId, QStringLiteral("no_title;sticky"))));
    QProcess client;
    QProcessEnvironment environment = m_sway.environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    client.setProcessEnvironment(environment);
    client.start(QStringLiteral(KIVO_WAYLAND_TEST_CLIENT), { appId });
    QVERIFY(X11Session::waitFor([&] {
        const QJsonObject window = m_sway.waylandWindow(appId);
        return window.value(QLatin1String("border")) == QLatin1String("pixel")
            && window.value(QLatin1String("sticky")).toBool();
    }));
    client.kill();
    client.waitForFinished();
}

void TestApplierSway::swayComingBackGetsThePropertiesAgain_data()
{
    QTest::addColumn<QString>("socketName");
    QTest::addColumn<QString>("name");
    QTest::newRow("on the same socket") << "sway.sock"
                                        << "Back";
    // As sway names it when the user starts it again: by its process id.
    QTest::newRow("on a new socket") << "sway-ipc.999.424242.sock"
                                     << "BackAgain";
}

void TestApplierSway::swayComingBackGetsThePropertiesAgain()
{
    QFETCH(QString, socketName);
    QFETCH(QString, name);
    QVERIFY(succeeded(m_apprc->setWindowProperties(name, QStringLiteral("no_title;no_border"))));
    m_client.reset();
    const int logged = log().size();
    m_sway.kill();
    QVERIFY(X11Session::waitFor(
        [&] { return log().mid(logged).contains(QLatin1String("sway went away")); }));
    QVERIFY2(m_sway.start(socketName), qPrintable(m_sway.error()));
    QVERIFY(X11Session::waitFor([&] {
        return log().mid(logged).contains(QLatin1String("sway is back at ") + m_sway.socketPath());
    }));
    m_client = std::make_unique<X11TestClient>(m_sway.environment(), m_sway.launcher());
    const quint32 window = open(name.toUtf8());
    QVERIFY(window);
    QVERIFY(X11Session::waitFor([&] { return holds(Check::Border, window, "none"); }));
    QCOMPARE(m_service->process().state(), QProcess::Running);
    QVERIFY(m_client->destroy(window));
}

void TestApplierSway::theChoiceIsTheFirstLine_data()
{
    QTest::addColumn<QString>("swaySocket"); // "session": the test's sway
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");

    QTest::newRow("sway") << "session" << QStringList()
                          << "Applying window properties through sway at %1 (SWAYSOCK).";
    QTest::newRow("a socket nobody answers")
        << "/nonexistent/sway.sock" << QStringList()
        << "No sway answers at /nonexistent/sway.sock (SWAYSOCK); trying the X display.";
    QTest::newRow("told not to") << "session" << QStringList { "--no-apply" } << "";
}

void TestApplierSway::theChoiceIsTheFirstLine()
{
    QFETCH(QString, swaySocket);
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    QVERIFY(m_service->stop());
    QProcessEnvironment environment = m_sway.environment();
    environment.insert(QStringLiteral("SWAYSOCK"),
                       swaySocket == QLatin1String("session") ? m_sway.socketPath() : swaySocket);
    ServiceProcess service;
    service.process().setProcessEnvironment(environment);
    service.process().setProcessChannelMode(QProcess::SeparateChannels);
    QVERIFY(service.start(arguments));
    QVERIFY(service.stop());
    const QStringList lines = QString::fromUtf8(service.process().readAllStandardError())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (line.isEmpty()) {
        QCOMPARE(lines, QStringList());
    } else {
        QVERIFY(!lines.isEmpty());
        if (line.contains(QLatin1String("%1")))
            line = line.arg(m_sway.socketPath());
        QCOMPARE(lines.first(), QStringLiteral("kivo-winpropsd: ") + line);
    }
    QVERIFY(startService(*m_service));
}

// What --desktop says is what the rows above find sway doing.
void TestApplierSway::theToolSaysWhatSwayDoes()
{
    const ToolRun run = runTool({ QStringLiteral("--desktop") });
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("Desktop: sway"));
    for (const char *line : { "no_title: applied (a thin border stays)",
                              "no_border: applied (only together with no_title)",
                              "sticky: applied (floating windows only)",
                              "geometry: applied (the window floats)", "ontop: no effect",
                              "no_tbutton: no effect", "no_focus: no effect", "shadow: no effect" })
        QVERIFY2(lines.contains(QLatin1String(line)), line);
}

KIVO_TEST_MAIN(TestApplierSway)
#include "tst_appliersway.moc"
