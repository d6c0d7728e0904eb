// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/common/toolrun.h"
#include "tests/wayland/gnomesession.h"
#include "tests/wayland/kwinsession.h"
#include "tests/x11/x11session.h"

#include <QDBusConnection>

#include <memory>

// kivo-winpropsd on a headless GNOME Shell, applied by our extension there, with X11 windows under
// its Xwayland and Wayland-native ones: what mutter did, read back by an extension of the test's.
class TestApplierGnome : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void theDesktopIsTold();
    void windowsFollowTheRecords_data();
    void windowsFollowTheRecords();
    void newWindowsStartAsTheRecordSays_data();
    void newWindowsStartAsTheRecordSays();
    void aDisabledExtensionIsToldWithTheWayToEnableIt();
    void aServiceStartedAgainIsFollowed();

private:
    QString log();
    // A window whose WM_CLASS instance (X11) or app id (Wayland) is a name of its own.
    QString open(bool wayland);
    bool holds(const QString &name, const QString &state, const QJsonValue &expected);

    GnomeSession m_gnome;
    std::unique_ptr<X11TestClient> m_x11;
    std::vector<std::unique_ptr<QProcess>> m_waylandClients;
    std::unique_ptr<ServiceProcess> m_service;
    std::unique_ptr<ApprcInterface> m_apprc;
    QString m_log;
    int m_windowNumber = 0;
};

void TestApplierGnome::initTestCase()
{
    registerWinPropsTypes();
    // A shell that cannot start fails the suite: it is about GNOME.
    QVERIFY2(m_gnome.start(), qPrintable(m_gnome.error()));
    m_x11 = std::make_unique<X11TestClient>(m_gnome.environment());
    m_service = std::make_unique<ServiceProcess>();
    m_service->process().setProcessEnvironment(m_gnome.environment());
    m_service->process().setProcessChannelMode(QProcess::SeparateChannels);
    QVERIFY(m_service->start());
    m_apprc = std::make_unique<ApprcInterface>(
        WinPropsService::busName(), WinPropsService::objectPath(), QDBusConnection::sessionBus());
    QVERIFY(X11Session::waitFor([&] { return log().contains(QLatin1String("Applying")); }));
}

QString TestApplierGnome::log()
{
    m_log += QString::fromUtf8(m_service->process().readAllStandardError());
    return m_log;
}

QString TestApplierGnome::open(bool wayland)
{
    const QString name = (wayland ? QStringLiteral("org.kivo.Native") : QStringLiteral("window"))
        + QString::number(++m_windowNumber);
    if (wayland) {
        m_waylandClients.push_back(std::make_unique<QProcess>());
        QProcess &client = *m_waylandClients.back();
        client.setProcessEnvironment(m_gnome.environment());
        client.start(QStringLiteral(KIVO_WAYLAND_TEST_CLIENT), { name });
    } else if (!m_x11->open(X11TestClient::wmClass(name.toUtf8(), "Gnomewindow"))) {
        return {};
    }
    if (!X11Session::waitFor([&] { return !m_gnome.window(name).isEmpty(); }))
        return {};
    return name;
}

bool TestApplierGnome::holds(const QString &name, const QString &state, const QJsonValue &expected)
{
    return X11Session::waitFor([&] { return m_gnome.window(name).value(state) == expected; });
}

void TestApplierGnome::theDesktopIsTold()
{
    QVERIFY2(log().contains(QLatin1String("GNOME Shell is the desktop")), qPrintable(log()));
    const ToolRun run = runTool({ QStringLiteral("--desktop") });
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("Desktop: GNOME Shell"));
    QVERIFY(lines.contains(QStringLiteral("ontop: applied")));
    QVERIFY(lines.contains(QStringLiteral("sticky: applied (on all workspaces)")));
    QVERIFY(lines.contains(
        QStringLiteral("no_title: no effect (mutter lets no extension change a window's frame)")));
}

void TestApplierGnome::windowsFollowTheRecords_data()
{
    QTest::addColumn<bool>("wayland");
    QTest::addColumn<QString>("properties");
    QTest::addColumn<QString>("state"); // as the test's extension names it
    QTest::addColumn<QJsonValue>("applied");
    QTest::addColumn<QJsonValue>("undone");
    for (const bool wayland : { false, true }) {
        const char *kind = wayland ? "Wayland" : "X11";
        QTest::addRow("%s: on top", kind) << wayland << "ontop"
                                          << "above" << QJsonValue(true) << QJsonValue(false);
        QTest::addRow("%s: on all workspaces", kind)
            << wayland << "sticky"
            << "sticky" << QJsonValue(true) << QJsonValue(false);
        QTest::addRow("%s: transparency", kind) << wayland << "transparency=30"
                                                << "opacity" << QJsonValue(179) << QJsonValue(255);
    }
}

// An open window follows at once, a new one starts so; both are set back when the record goes.
void TestApplierGnome::windowsFollowTheRecords()
{
    QFETCH(bool, wayland);
    QFETCH(QString, properties);
    QFETCH(QString, state);
    QFETCH(QJsonValue, applied);
    QFETCH(QJsonValue, undone);
    const QString open = this->open(wayland);
    QVERIFY(!open.isEmpty());
    QVERIFY(holds(open, state, undone));
    QVERIFY(succeeded(m_apprc->setWindowProperties(open, properties)));
    QVERIFY2(holds(open, state, applied), qPrintable(QString::fromUtf8(m_gnome.log())));
    QVERIFY(succeeded(m_apprc->removeWindowProperties(open)));
    QVERIFY(holds(open, state, undone));
}

void TestApplierGnome::newWindowsStartAsTheRecordSays_data()
{
    QTest::addColumn<bool>("wayland");
    QTest::addColumn<QString>("properties");
    QTest::addColumn<QJsonObject>("expected");
    for (const bool wayland : { false, true }) {
        const char *kind = wayland ? "Wayland" : "X11";
        QTest::addRow("%s: geometry from the work area's top left", kind)
            << wayland << "geometry=300x200+40+50"
            << QJsonObject { { "x", 40 }, { "y", 50 }, { "width", 300 }, { "height", 200 } };
        QTest::addRow("%s: geometry from the bottom right", kind)
            << wayland << "geometry=300x200-30-20"
            << QJsonObject { { "x", 1280 - 300 - 30 }, { "width", 300 }, { "height", 200 } };
        QTest::addRow("%s: maximized", kind)
            << wayland << "init_maximize" << QJsonObject { { "maximized", true } };
        QTest::addRow("%s: minimized", kind)
            << wayland << "init_minimize" << QJsonObject { { "minimized", true } };
        QTest::addRow("%s: on top", kind)
            << wayland << "ontop" << QJsonObject { { "above", true } };
        QTest::addRow("%s: closed soon", kind) << wayland << "close_soon" << QJsonObject();
    }
}

void TestApplierGnome::newWindowsStartAsTheRecordSays()
{
    QFETCH(bool, wayland);
    QFETCH(QString, properties);
    QFETCH(QJsonObject, expected);
    const QString name = (wayland ? QStringLiteral("org.kivo.Native") : QStringLiteral("window"))
        + QString::number(m_windowNumber + 1);
    QVERIFY(succeeded(m_apprc->setWindowProperties(name, properties)));
    QCOMPARE(open(wayland), name);
    const bool started = X11Session::waitFor([&] {
        const QJsonObject window = m_gnome.window(name);
        // Nothing expected: gone.
        if (expected.isEmpty())
            return window.isEmpty();
        for (auto value = expected.begin(); value != expected.end(); ++value) {
            if (window.value(value.key()) != value.value())
                return false;
        }
        return true;
    });
    QVERIFY2(started,
             qPrintable(QJsonDocument(m_gnome.window(name)).toJson(QJsonDocument::Compact)));
    QVERIFY(succeeded(m_apprc->removeWindowProperties(name)));
}

// Disabled, the extension gives every window back what it had, and the tool says how to enable
// it; enabled again, it applies in one pass.
void TestApplierGnome::aDisabledExtensionIsToldWithTheWayToEnableIt()
{
    const QString open = this->open(false);
    QVERIFY(succeeded(m_apprc->setWindowProperties(open, "ontop")));
    QVERIFY(holds(open, QStringLiteral("above"), true));
    QVERIFY(m_gnome.setExtensionEnabled(false));
    QVERIFY(holds(open, QStringLiteral("above"), false));
    QVERIFY(X11Session::waitFor([] {
        return runTool({ QStringLiteral("--desktop") })
            .out.startsWith(QStringLiteral("Desktop: none (GNOME Shell with the extension "
                                           "kivo-winprops@kivo.org not enabled"));
    }));
    QVERIFY(
        runTool({ QStringLiteral("--desktop") })
            .out.contains(QStringLiteral("\"gnome-extensions enable kivo-winprops@kivo.org\"")));
    QVERIFY(m_gnome.setExtensionEnabled(true));
    QVERIFY(holds(open, QStringLiteral("above"), true));
    QVERIFY(X11Session::waitFor([] {
        return runTool({ QStringLiteral("--desktop") })
            .out.startsWith(QStringLiteral("Desktop: GNOME Shell\n"));
    }));
    QVERIFY(succeeded(m_apprc->removeWindowProperties(open)));
}

// What was applied stays while the service is away; what changed meanwhile is applied once it
// is back.
void TestApplierGnome::aServiceStartedAgainIsFollowed()
{
    const QString open = this->open(false);
    QVERIFY(succeeded(m_apprc->setWindowProperties(open, "ontop")));
    QVERIFY(holds(open, QStringLiteral("above"), true));
    QVERIFY(m_service->stop());
    QVERIFY(holds(open, QStringLiteral("above"), true));
    m_service->writeStorage({ open + QStringLiteral(";sticky") });
    QVERIFY(m_service->start());
    QVERIFY(holds(open, QStringLiteral("sticky"), true));
    QVERIFY(holds(open, QStringLiteral("above"), false));
    // Nothing of ours in the shell's log: a stack of ours names the extension's folder.
    QVERIFY(!m_gnome.log().contains("kivo-winprops@kivo.org"));
}

KIVO_TEST_MAIN_ENTERING(TestApplierGnome, enterAsCompositorUser(argc, argv))
#include "tst_appliergnome.moc"
