// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applier/applydecision.h"
#include "platform/winprops/winpropsservice.h"
#include "platform/x11/x11windows.h"
#include "service/apprcinterface.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/common/testrecords.h"
#include "tests/common/toolrun.h"
#include "tests/x11/x11session.h"

#include <QDBusConnection>
#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

namespace {

// The window managers of the suite's table (tests/x11/).

enum class Check {
    FrameExtents, // expected: "left,right,top,bottom"
    States, // expected: _NET_WM_STATE atom names, all present
    Desktop, // expected: quint32
    Opacity, // expected: quint32
    Shadow, // expected: quint32
    Frame, // expected: QRect of the frame on the 1024 x 768 screen
    OnScreen, // expected: nothing; the whole frame is on the screen
    IconSizes, // expected: "WxH,WxH..."
    InputHint, // expected: quint32
    Closed, // expected: nothing; the program was asked to close the window
    LogLine, // expected: a line the daemon logs
};

const QRect screen(0, 0, 1024, 768);
// Openbox's frame here: one pixel of border, a title of 20 and a handle of 5.
const QMargins openboxFrame(1, 20, 1, 5);

QString wideImagePath()
{
    return TestEnvironment::root() + QStringLiteral("/wide.png");
}

QStringList iconSizes(const QVector<quint32> &icon)
{
    QStringList sizes;
    for (int i = 0; i + 1 < icon.size(); i += 2 + int(icon[i] * icon[i + 1]))
        sizes.append(QStringLiteral("%1x%2").arg(icon[i]).arg(icon[i + 1]));
    return sizes;
}

} // namespace

Q_DECLARE_METATYPE(Check)
Q_DECLARE_METATYPE(X11Session::Restart)

// kivo-winpropsd against Xvfb with Openbox, with windows of a test program: what the window
// manager did with the properties, read back from the server.
class TestApplierX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void newWindowsGetTheirProperties_data();
    void newWindowsGetTheirProperties();
    void openWindowsFollowTheCollection();
    void theWindowsOwnHintsComeBack();
    void hintsAreInPlaceBeforeTheFirstMap_data();
    void hintsAreInPlaceBeforeTheFirstMap();
    void theInstanceRecordWinsOverTheClassRecord();
    void badWindowsDoNotStopTheApplier();
    void withoutWindowManagerWhatNeedsNoneIsApplied();
    void theDisplayGoingAwayLeavesTheServiceRunning();
    void theBusIsAnsweredWhileTheServerIsGrabbed_data();
    void theBusIsAnsweredWhileTheServerIsGrabbed();
    void stopsWhileTheServerIsGrabbed();
    void startsWithoutApplyingWhenItCannot_data();
    void startsWithoutApplyingWhenItCannot();
    void restartsLeaveTheWindowsAsTheyAre();
    // Last: it replaces the service on the test's display by one on each window manager's.
    void theToolSaysWhatEveryWindowManagerDoes_data();
    void theToolSaysWhatEveryWindowManagerDoes();
    void framesOnEveryWindowManager_data();
    void framesOnEveryWindowManager();
    void statesComeAndGoOnEveryWindowManager_data();
    void statesComeAndGoOnEveryWindowManager();
    void restartsOnEveryWindowManagerRepeatNoStart_data();
    void restartsOnEveryWindowManagerRepeatNoStart();

private:
    bool startService(ServiceProcess &service, const QProcessEnvironment &environment,
                      const QStringList &arguments = {});
    QString log(ServiceProcess &service);
    xcb_window_t openManaged(const QByteArray &instance, const QByteArray &className,
                             const QString &options = QString());
    xcb_window_t openProbe();
    bool holds(Check check, xcb_window_t window, const QVariant &expected);
    X11Connection &x11() { return m_session.x11(); }
    xcb_window_t openBeforeTheManagerActs(const QByteArray &instance, const QByteArray &className,
                                          const QString &awaited, const QPoint &position);
    QVector<xcb_atom_t> atoms(const QStringList &names);
    bool useWindowManager(const QString &program);
    xcb_window_t openPanel(int height);
    bool hasFrame(xcb_window_t window, quint32 decorationsOff);
    bool allowsActions(xcb_window_t window, quint32 functionsOff);
    bool isActive(xcb_window_t window);
    QByteArray titleBar(xcb_window_t window);
    bool hasButtons(xcb_window_t window, quint32 decorationsOff, quint32 functionsOff);
    QString frameReport(xcb_window_t window);
    // Xfwm4 takes the buttons away without changing the actions: its title bar tells.
    bool titleBarTellsButtons() const
    {
        return m_desktop->traits.manager.name == QByteArrayLiteral("Xfwm4");
    }

    X11Session m_session;
    std::unique_ptr<X11TestClient> m_client;
    std::unique_ptr<ServiceProcess> m_service;
    std::unique_ptr<ApprcInterface> m_apprc;
    QString m_log;
    int m_windowNumber = 0;

    // One display, window manager and service per window manager, shared by its rows.
    struct ManagedDesktop
    {
        QString program;
        X11Session session;
        std::unique_ptr<X11TestClient> client;
        ServiceProcess service;
        DesktopTraits traits;
        QString name;
        // As the service names the desktop: under Xwayland, its X11 windows only.
        QString shownName;
        QMargins plainFrame;
        // What is left around a window without decorations: Weston keeps room for its shadow.
        QMargins framelessFrame;
        // What the window manager lists in _NET_SUPPORTED.
        QVector<quint32> supported;
        QByteArray plainTitleBar;
        QString log;
    };
    std::unique_ptr<ManagedDesktop> m_desktop;
};

void TestApplierX11::initTestCase()
{
    registerWinPropsTypes();
    QVERIFY2(m_session.startServer(), qPrintable(m_session.error()));
    QVERIFY2(m_session.startWindowManager(), qPrintable(m_session.error()));
    m_client = std::make_unique<X11TestClient>(m_session.environment());
    QImage wide(40, 20, QImage::Format_ARGB32);
    wide.fill(Qt::darkCyan);
    QVERIFY(wide.save(wideImagePath()));
    m_service = std::make_unique<ServiceProcess>();
    QVERIFY(startService(*m_service, m_session.environment()));
    m_apprc = std::make_unique<ApprcInterface>(
        WinPropsService::busName(), WinPropsService::objectPath(), QDBusConnection::sessionBus());
}

bool TestApplierX11::startService(ServiceProcess &service, const QProcessEnvironment &environment,
                                  const QStringList &arguments)
{
    service.process().setProcessEnvironment(environment);
    service.process().setProcessChannelMode(QProcess::SeparateChannels);
    // The shared service's log keeps the lines of its earlier starts.
    const int from = &service == m_service.get() ? log(service).size() : 0;
    if (!service.start(arguments))
        return false;
    // Windows that appear before this line would count as open at the start.
    return arguments.contains(QStringLiteral("--no-apply")) || X11Session::waitFor([&] {
               return log(service).indexOf(QLatin1String("Applying"), from) >= 0;
           });
}

QString TestApplierX11::log(ServiceProcess &service)
{
    if (&service == m_service.get()) {
        m_log += QString::fromUtf8(service.process().readAllStandardError());
        return m_log;
    }
    return QString::fromUtf8(service.process().readAllStandardError());
}

// A window that appears after the others: once it has its state, the service has handled all
// that came before. 0 if it does not get it.
xcb_window_t TestApplierX11::openProbe()
{
    const QByteArray name = "Probe" + QByteArray::number(++m_windowNumber);
    if (!succeeded(
            m_apprc->setWindowProperties(QString::fromLatin1(name), QStringLiteral("ontop"))))
        return XCB_WINDOW_NONE;
    const xcb_window_t probe = openManaged(name.toLower(), name);
    const bool caughtUp = probe
        && X11Session::waitFor([&] { return holds(Check::States, probe, "_NET_WM_STATE_ABOVE"); });
    return caughtUp ? probe : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_window_t TestApplierX11::openManaged(const QByteArray &instance, const QByteArray &className,
                                         const QString &options)
{
    const xcb_window_t window
        = m_client->open(X11TestClient::wmClass(instance, className), options);
    if (!X11Session::waitFor([&] { return X11::readClientList(x11()).contains(window); }))
        return XCB_WINDOW_NONE;
    return window;
}

// The program maps at once, and the window manager has the map request before the applier can
// act: what the window manager finds when it gets to it is what shows first. 0 unless the
// window is at position by then.
xcb_window_t TestApplierX11::openBeforeTheManagerActs(const QByteArray &instance,
                                                      const QByteArray &className,
                                                      const QString &awaited,
                                                      const QPoint &position)
{
    if (!m_session.pauseWindowManager(true))
        return XCB_WINDOW_NONE;
    const xcb_window_t window = m_client->open(X11TestClient::wmClass(instance, className));
    const xcb_atom_t written = x11().internAtom(qPrintable(awaited));
    const bool placed = X11Session::waitFor([&] {
        return X11::readProperty(x11(), window, written)->exists()
            && X11::geometryOnScreen(x11(), window).topLeft() == position;
    });
    const bool resumed = m_session.pauseWindowManager(false);
    if (!placed || !resumed
        || !X11Session::waitFor([&] { return X11::readClientList(x11()).contains(window); }))
        return XCB_WINDOW_NONE;
    return window;
}

QVector<xcb_atom_t> TestApplierX11::atoms(const QStringList &names)
{
    QVector<xcb_atom_t> result;
    for (const QString &name : names)
        result.append(x11().internAtom(qPrintable(name)));
    return result;
}

bool TestApplierX11::holds(Check check, xcb_window_t window, const QVariant &expected)
{
    X11Connection &x = x11();
    const auto cardinalIs = [&](xcb_atom_t atom) {
        return X11::cardinal(x, window, atom) == expected.value<quint32>();
    };
    const QMargins extents = X11::frameExtents(x, window);
    switch (check) {
    case Check::FrameExtents:
        return QStringLiteral("%1,%2,%3,%4")
                   .arg(extents.left())
                   .arg(extents.right())
                   .arg(extents.top())
                   .arg(extents.bottom())
            == expected.toString();
    case Check::States: {
        const QVector<xcb_atom_t> states = X11::wmStates(x, window);
        for (const xcb_atom_t atom : atoms(expected.toString().split(QLatin1Char(','))))
            if (!states.contains(atom))
                return false;
        return true;
    }
    case Check::Desktop:
        return cardinalIs(x.ewmh()->_NET_WM_DESKTOP);
    case Check::Opacity:
        return cardinalIs(x.atoms().wmWindowOpacity);
    case Check::Shadow:
        return cardinalIs(x.atoms().comptonShadow);
    case Check::InputHint: {
        const std::optional<X11::RawProperty> hints
            = X11::readProperty(x, window, XCB_ATOM_WM_HINTS);
        return hints && hints->cardinals().value(1, 1) == expected.value<quint32>();
    }
    case Check::Frame:
        return X11::geometryOnScreen(x, window).marginsAdded(extents) == expected.toRect();
    case Check::OnScreen: {
        const QRect frame = X11::geometryOnScreen(x, window).marginsAdded(extents);
        return !extents.isNull() && screen.contains(frame);
    }
    case Check::IconSizes: {
        const std::optional<X11::RawProperty> icon
            = X11::readProperty(x, window, x.ewmh()->_NET_WM_ICON);
        return icon && iconSizes(icon->cardinals()).join(QLatin1Char(',')) == expected.toString();
    }
    case Check::Closed:
        return m_client->waitForDeleted(window, 0);
    case Check::LogLine:
        return log(*m_service).contains(expected.toString());
    }
    return false;
}

void TestApplierX11::newWindowsGetTheirProperties_data()
{
    QTest::addColumn<QString>("properties");
    QTest::addColumn<Check>("check");
    QTest::addColumn<QVariant>("expected");

    const auto frameAt = [](int x, int y) {
        return QVariant(QRect(x, y, 300, 200)
                            .marginsAdded(openboxFrame)
                            .translated(openboxFrame.left(), openboxFrame.top()));
    };
    QTest::newRow("no title leaves only the border")
        << "no_title" << Check::FrameExtents << QVariant("1,1,1,1");
    QTest::newRow("no title and no border")
        << "no_title;no_border" << Check::FrameExtents << QVariant("0,0,0,0");
    QTest::newRow("no border alone has no effect on Openbox")
        << "no_border" << Check::LogLine
        << QVariant("The properties no_border of \"%1\" have no effect on this desktop (Openbox).");
    QTest::newRow("on top") << "ontop" << Check::States << QVariant("_NET_WM_STATE_ABOVE");
    QTest::newRow("at the bottom")
        << "onbottom" << Check::States << QVariant("_NET_WM_STATE_BELOW");
    QTest::newRow("no taskbar button, no pager miniature")
        << "no_tbutton;no_pager" << Check::States
        << QVariant("_NET_WM_STATE_SKIP_TASKBAR,_NET_WM_STATE_SKIP_PAGER");
    QTest::newRow("not affect paging") << "sticky" << Check::Desktop << QVariant(0xFFFFFFFFu);
    QTest::newRow("transparency") << "transparency=25" << Check::Opacity << QVariant(opacityOf(25));
    QTest::newRow("shadow") << "shadow=0" << Check::Shadow << QVariant(0u);
    QTest::newRow("no focus") << "no_focus" << Check::InputHint << QVariant(0u);
    QTest::newRow("geometry from the top left")
        << "geometry=300x200+30+40" << Check::Frame << frameAt(30, 40);
    QTest::newRow("geometry from the bottom right")
        << "geometry=300x200-30-40" << Check::Frame << frameAt(1024 - 30 - 302, 768 - 40 - 225);
    QTest::newRow("geometry off every screen")
        << "geometry=300x200+30000+-30000" << Check::OnScreen << QVariant();
    QTest::newRow("maximized") << "init_maximize" << Check::States
                               << QVariant(
                                      "_NET_WM_STATE_MAXIMIZED_VERT,_NET_WM_STATE_MAXIMIZED_HORZ");
    QTest::newRow("minimized") << "init_minimize" << Check::States
                               << QVariant("_NET_WM_STATE_HIDDEN");
    QTest::newRow("images from a path and a theme")
        << QStringLiteral("small_image=%1;large_image=image-x-generic").arg(wideImagePath())
        << Check::IconSizes << QVariant("16x8,32x16,48x48,64x64");
    QTest::newRow("an image that does not load")
        << "small_image=/nonexistent/kivo.png" << Check::LogLine
        << QVariant("The image \"/nonexistent/kivo.png\" for the window");
    QTest::newRow("close soon") << "close_soon" << Check::Closed << QVariant();
}

void TestApplierX11::newWindowsGetTheirProperties()
{
    QFETCH(QString, properties);
    QFETCH(Check, check);
    QFETCH(QVariant, expected);
    const QString name = QStringLiteral("New%1").arg(++m_windowNumber);
    if (expected.toString().contains(QLatin1String("%1")))
        expected = expected.toString().arg(name);
    QVERIFY(succeeded(m_apprc->setWindowProperties(name, properties)));
    const xcb_window_t window = openManaged("new", name.toUtf8());
    QVERIFY(window);
    QVERIFY2(X11Session::waitFor([&] { return holds(check, window, expected); }),
             qPrintable(m_log));
    if (check == Check::FrameExtents) {
        // Openbox shows a frame of nothing for a moment while it takes a window on: what was
        // read must still hold once it is done.
        QTest::qWait(200);
        QVERIFY(holds(check, window, expected));
    }
    if (check != Check::Closed)
        QVERIFY(m_client->destroy(window));
}

void TestApplierX11::openWindowsFollowTheCollection()
{
    const QString name = QStringLiteral("Open");
    const xcb_window_t window = openManaged("open", name.toUtf8(), "geometry 200x150+500+500");
    QVERIFY(window);
    QVERIFY(X11Session::waitFor([&] { return holds(Check::FrameExtents, window, "1,1,20,5"); }));
    const QRect before = X11::geometryOnScreen(x11(), window);

    QVERIFY(succeeded(m_apprc->setWindowProperties(
        name, QStringLiteral("no_title;ontop;transparency=50;geometry=100x100+0+0"))));
    QVERIFY(X11Session::waitFor([&] {
        return holds(Check::FrameExtents, window, "1,1,1,1")
            && holds(Check::States, window, "_NET_WM_STATE_ABOVE")
            && holds(Check::Opacity, window, opacityOf(50));
    }));
    // How a window starts is for new windows only.
    QCOMPARE(X11::geometryOnScreen(x11(), window).size(), before.size());

    QVERIFY(succeeded(m_apprc->setWindowProperties(name, QStringLiteral("ontop"))));
    QVERIFY(X11Session::waitFor([&] { return holds(Check::FrameExtents, window, "1,1,20,5"); }));
    QVERIFY(!X11::readProperty(x11(), window, x11().atoms().wmWindowOpacity)->exists());
    QVERIFY(!X11::readProperty(x11(), window, x11().atoms().motifWmHints)->exists());
    QVERIFY(holds(Check::States, window, "_NET_WM_STATE_ABOVE"));

    // A burst ends in its last state, and what comes right after it is not lost.
    for (int i = 0; i < 20; ++i) {
        QVERIFY(succeeded(m_apprc->setWindowProperties(
            name, i % 2 ? QStringLiteral("onbottom") : QStringLiteral("ontop;transparency=30"))));
    }
    QVERIFY(succeeded(m_apprc->removeWindowProperties(name)));
    const xcb_ewmh_connection_t *ewmh = x11().ewmh();
    QVERIFY(X11Session::waitFor([&] {
        const QVector<xcb_atom_t> states = X11::wmStates(x11(), window);
        return !states.contains(ewmh->_NET_WM_STATE_ABOVE)
            && !states.contains(ewmh->_NET_WM_STATE_BELOW);
    }));
    QVERIFY(!X11::readProperty(x11(), window, x11().atoms().wmWindowOpacity)->exists());
    QVERIFY(m_client->destroy(window));
}

void TestApplierX11::theWindowsOwnHintsComeBack()
{
    const QString name = QStringLiteral("OwnHints");
    const xcb_window_t window
        = openManaged("own", name.toUtf8(), QStringLiteral("motif 1,6,0 input 1"));
    QVERIFY(window);
    const X11::RawProperty own = *X11::readProperty(x11(), window, x11().atoms().motifWmHints);
    QVERIFY(succeeded(m_apprc->setWindowProperties(name, QStringLiteral("no_title;no_focus"))));
    QVERIFY(X11Session::waitFor([&] {
        return holds(Check::FrameExtents, window, "1,1,1,1") && holds(Check::InputHint, window, 0u);
    }));
    QCOMPARE(X11::readProperty(x11(), window, x11().atoms().motifWmHints)->cardinals(),
             Motif::without(own.cardinals(), Motif::DecorTitle | Motif::DecorResizeHandle, 0));

    QVERIFY(succeeded(m_apprc->removeWindowProperties(name)));
    QVERIFY(X11Session::waitFor([&] { return holds(Check::InputHint, window, 1u); }));
    QCOMPARE(*X11::readProperty(x11(), window, x11().atoms().motifWmHints), own);
    QVERIFY(m_client->destroy(window));
}

void TestApplierX11::hintsAreInPlaceBeforeTheFirstMap_data()
{
    QTest::addColumn<QString>("properties");
    QTest::addColumn<QString>("awaited");
    QTest::addColumn<Check>("check");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<bool>("mappedAtOnce");

    QTest::newRow("decorations") << "no_title;no_border"
                                 << "_MOTIF_WM_HINTS" << Check::FrameExtents << QVariant("0,0,0,0")
                                 << false;
    QTest::newRow("start geometry")
        << "geometry=300x200-30-40"
        << "WM_NORMAL_HINTS" << Check::Frame
        << QVariant(QRect(1024 - 30 - 302, 768 - 40 - 225, 302, 225)) << false;
    QTest::newRow("start geometry, mapped at once while the window manager is busy")
        << "geometry=300x200+30+40"
        << "WM_NORMAL_HINTS" << Check::Frame << QVariant(QRect(30, 40, 302, 225)) << true;
    QTest::newRow("states") << "ontop;no_tbutton"
                            << "_NET_WM_STATE" << Check::States
                            << QVariant("_NET_WM_STATE_ABOVE,_NET_WM_STATE_SKIP_TASKBAR") << false;
    QTest::newRow("all desktops") << "sticky"
                                  << "_NET_WM_DESKTOP" << Check::Desktop << QVariant(0xFFFFFFFFu)
                                  << false;
}

void TestApplierX11::hintsAreInPlaceBeforeTheFirstMap()
{
    QFETCH(QString, properties);
    QFETCH(QString, awaited);
    QFETCH(Check, check);
    QFETCH(QVariant, expected);
    QFETCH(bool, mappedAtOnce);
    const QString name = QStringLiteral("Early%1").arg(++m_windowNumber);
    QVERIFY(succeeded(m_apprc->setWindowProperties(name, properties)));
    // The program maps its window only once the property is there.
    const xcb_window_t window = mappedAtOnce
        ? openBeforeTheManagerActs("early", name.toUtf8(), awaited, expected.toRect().topLeft())
        : openManaged("early", name.toUtf8(), QStringLiteral("await ") + awaited);
    QVERIFY(window);
    QVERIFY2(X11Session::waitFor([&] { return holds(check, window, expected); }),
             qPrintable(m_log));
    // The program's own size hints (it has none) once the frame has settled.
    QVERIFY(X11Session::waitFor(
        [&] { return !X11::readProperty(x11(), window, XCB_ATOM_WM_NORMAL_HINTS)->exists(); }));
    // What was asked before the map is taken back like the rest.
    QVERIFY(succeeded(m_apprc->removeWindowProperties(name)));
    const xcb_atom_t above = x11().ewmh()->_NET_WM_STATE_ABOVE;
    QVERIFY(X11Session::waitFor([&] {
        return !X11::wmStates(x11(), window).contains(above)
            && X11::frameExtents(x11(), window) == openboxFrame;
    }));
    QVERIFY(m_client->destroy(window));
}

void TestApplierX11::theInstanceRecordWinsOverTheClassRecord()
{
    QVERIFY(succeeded(
        m_apprc->setWindowProperties(QStringLiteral("Both"), QStringLiteral("onbottom"))));
    QVERIFY(
        succeeded(m_apprc->setWindowProperties(QStringLiteral("both"), QStringLiteral("ontop"))));
    const xcb_window_t window = openManaged("both", "Both");
    QVERIFY(window);
    QVERIFY(
        X11Session::waitFor([&] { return holds(Check::States, window, "_NET_WM_STATE_ABOVE"); }));
    QVERIFY(!X11::wmStates(x11(), window).contains(x11().ewmh()->_NET_WM_STATE_BELOW));
    QVERIFY(m_client->destroy(window));
}

void TestApplierX11::badWindowsDoNotStopTheApplier()
{
    QVERIFY(succeeded(m_apprc->setWindowProperties(
        QStringLiteral("Vanish"), QStringLiteral("ontop;no_title;large_image=image-x-generic"))));
    QVERIFY(succeeded(
        m_apprc->setWindowProperties(QString::fromUtf8("café"), QStringLiteral("ontop"))));
    // Windows that go while they are being handled.
    for (int i = 0; i < 30; ++i)
        QVERIFY(m_client->destroy(m_client->open(X11TestClient::wmClass("vanish", "Vanish"))));
    const xcb_window_t withoutClass = m_client->open(QByteArray());
    const xcb_window_t huge
        = m_client->open(X11TestClient::wmClass(QByteArray(100000, 'h'), "Vanish"));
    // Not UTF-8: read as Latin-1, as the ICCCM has it.
    const xcb_window_t latin1 = openManaged("caf\xe9", "Latin");
    QVERIFY(withoutClass && huge && latin1);
    QVERIFY(
        X11Session::waitFor([&] { return holds(Check::States, latin1, "_NET_WM_STATE_ABOVE"); }));

    const xcb_window_t after = openManaged("vanish", "Vanish");
    QVERIFY(
        X11Session::waitFor([&] { return holds(Check::States, after, "_NET_WM_STATE_ABOVE"); }));
    QVERIFY(!X11::wmStates(x11(), huge).contains(x11().ewmh()->_NET_WM_STATE_ABOVE));
    QCOMPARE(m_service->process().state(), QProcess::Running);
    for (const xcb_window_t window : { withoutClass, huge, latin1, after })
        QVERIFY(m_client->destroy(window));
}

void TestApplierX11::withoutWindowManagerWhatNeedsNoneIsApplied()
{
    QVERIFY(m_service->stop());
    X11Session bare;
    QVERIFY2(bare.startServer(), qPrintable(bare.error()));
    ServiceProcess service;
    service.writeStorage({ QStringLiteral("Bare;no_title;ontop;transparency=50;"
                                          "geometry=300x200+30+40;close_soon") });
    QVERIFY(startService(service, bare.environment()));
    X11TestClient client(bare.environment());
    const xcb_window_t window = client.open(X11TestClient::wmClass("bare", "Bare"));
    X11Connection &x = bare.x11();
    QVERIFY(X11Session::waitFor([&] {
        return X11::geometryOnScreen(x, window) == QRect(30, 40, 300, 200)
            && X11::cardinal(x, window, x.atoms().wmWindowOpacity) == opacityOf(50);
    }));
    const QVector<quint32> hints
        = X11::readProperty(x, window, x.atoms().motifWmHints)->cardinals();
    QCOMPARE(hints.value(2), quint32(Motif::AllDecorations & ~Motif::DecorTitle));
    QVERIFY(client.waitForDeleted(window));
    const QString lines = log(service);
    QVERIFY2(
        lines.contains(QStringLiteral("The properties ontop, transparency of \"Bare\" have no "
                                      "effect on this desktop (X11 without a window manager).")),
        qPrintable(lines));
    QVERIFY(service.stop());
    QVERIFY(startService(*m_service, m_session.environment()));
}

void TestApplierX11::theDisplayGoingAwayLeavesTheServiceRunning()
{
    QVERIFY(m_service->stop());
    ServiceProcess service;
    {
        X11Session doomed;
        QVERIFY2(doomed.startServer(), qPrintable(doomed.error()));
        QVERIFY(startService(service, doomed.environment()));
        doomed.killServer();
    }
    QString lines;
    QVERIFY(X11Session::waitFor([&] {
        lines += log(service);
        return lines.contains(QStringLiteral("went away"));
    }));
    QVERIFY(
        succeeded(m_apprc->setWindowProperties(QStringLiteral("after"), QStringLiteral("ontop"))));
    QDBusPendingReply<QStringList> names = m_apprc->winNames();
    names.waitForFinished();
    QVERIFY(names.value().contains(QStringLiteral("after")));
    QVERIFY(service.stop());
    lines += log(service);
    QCOMPARE(lines.count(QStringLiteral("no longer applied")), 1);
    QVERIFY(startService(*m_service, m_session.environment()));
}

// Another client holds the X server: the daemon's applying waits, its answers on the bus do not,
// also when the daemon starts meanwhile.
void TestApplierX11::theBusIsAnsweredWhileTheServerIsGrabbed_data()
{
    QTest::addColumn<bool>("startedDuringTheGrab");
    QTest::newRow("running") << false;
    QTest::newRow("started during the grab") << true;
}

void TestApplierX11::theBusIsAnsweredWhileTheServerIsGrabbed()
{
    QFETCH(bool, startedDuringTheGrab);
    const xcb_window_t window = openManaged("grabbed", "Grabbed");
    if (startedDuringTheGrab)
        QVERIFY(m_service->stop());
    xcb_connection_t *grabber = xcb_connect(m_session.display().constData(), nullptr);
    QVERIFY(!xcb_connection_has_error(grabber));
    xcb_grab_server(grabber);
    // Held once the server answered the grabbing client.
    free(xcb_get_input_focus_reply(grabber, xcb_get_input_focus(grabber), nullptr));
    // Started as startService would, less the wait for its applying, which the grab holds.
    m_service->process().setProcessEnvironment(m_session.environment());
    const bool started = !startedDuringTheGrab || m_service->start();
    m_apprc->setTimeout(5000);
    const bool answered = started
        && succeeded(m_apprc->setWindowProperties(QStringLiteral("grabbed"), "ontop"))
        && succeeded(m_apprc->setWindowProperties(QStringLiteral("grabbed"), "sticky"))
        && succeeded(m_apprc->winNames());
    m_apprc->setTimeout(-1);
    xcb_ungrab_server(grabber);
    xcb_disconnect(grabber);
    QVERIFY(answered);
    QVERIFY(X11Session::waitFor([&] { return holds(Check::Desktop, window, 0xFFFFFFFFu); }));
    QVERIFY(m_client->destroy(window));
    QVERIFY(succeeded(m_apprc->removeWindowProperties(QStringLiteral("grabbed"))));
}

// The applier waits for an answer that does not come: the service still ends, cleanly and
// without telling of a lost display.
void TestApplierX11::stopsWhileTheServerIsGrabbed()
{
    xcb_connection_t *grabber = xcb_connect(m_session.display().constData(), nullptr);
    QVERIFY(!xcb_connection_has_error(grabber));
    xcb_grab_server(grabber);
    free(xcb_get_input_focus_reply(grabber, xcb_get_input_focus(grabber), nullptr));
    QVERIFY(succeeded(m_apprc->setWindowProperties(QStringLiteral("held"), "ontop")));
    const int logged = log(*m_service).size();
    const bool stopped = m_service->stop();
    xcb_ungrab_server(grabber);
    xcb_disconnect(grabber);
    QVERIFY(stopped);
    QVERIFY(!log(*m_service).mid(logged).contains(QStringLiteral("went away")));
    QVERIFY(startService(*m_service, m_session.environment()));
}

void TestApplierX11::startsWithoutApplyingWhenItCannot_data()
{
    QTest::addColumn<QString>("display"); // "session": the test's display
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");

    QTest::newRow("Wayland without X")
        << ""
        << "wayland-0" << QStringList()
        << "A Wayland session without an X display: window properties are kept but not applied";
    QTest::newRow("no display") << ""
                                << "" << QStringList()
                                << "No X display (DISPLAY is not set): window properties are kept";
    QTest::newRow("a display that does not answer")
        << ":32765"
        << "" << QStringList() << "Cannot open the X display :32765";
    QTest::newRow("told not to") << "session"
                                 << "" << QStringList { "--no-apply" } << "";
}

void TestApplierX11::startsWithoutApplyingWhenItCannot()
{
    QFETCH(QString, display);
    QFETCH(QString, wayland);
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    QVERIFY(m_service->stop());
    QProcessEnvironment environment = m_session.environment();
    environment.remove(QStringLiteral("DISPLAY"));
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"),
                           display == QLatin1String("session")
                               ? QString::fromLatin1(m_session.display())
                               : display);
    if (!wayland.isEmpty())
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), wayland);
    ServiceProcess service;
    service.writeStorage({ QStringLiteral("Kept;ontop") });
    service.process().setProcessEnvironment(environment);
    service.process().setProcessChannelMode(QProcess::SeparateChannels);
    QVERIFY(service.start(arguments));
    QDBusPendingReply<QStringList> names = m_apprc->winNames();
    names.waitForFinished();
    QCOMPARE(names.value(), QStringList { "Kept" });
    // The display is tried apart from the bus: its line may come after the first answer.
    QString logged;
    if (!line.isEmpty())
        QVERIFY(X11Session::waitFor([&] { return (logged += log(service)).contains(line); }));
    QVERIFY(service.stop());
    logged += log(service);
    const QStringList lines = logged.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (line.isEmpty()) {
        QCOMPARE(lines, QStringList());
    } else {
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(line), qPrintable(lines.first()));
    }
    QVERIFY(startService(*m_service, m_session.environment()));
}

void TestApplierX11::restartsLeaveTheWindowsAsTheyAre()
{
    QVERIFY(succeeded(m_apprc->setWindowProperties(QStringLiteral("Moved"),
                                                   QStringLiteral("geometry=300x200+30+40"))));
    QVERIFY(succeeded(m_apprc->setWindowProperties(
        QStringLiteral("Maximized"), QStringLiteral("init_maximize;no_title;ontop"))));
    const xcb_window_t moved = openManaged("moved", "Moved");
    const xcb_window_t maximized = openManaged("maximized", "Maximized");
    QVERIFY(moved && maximized);
    const xcb_ewmh_connection_t *ewmh = x11().ewmh();
    const bool started = X11Session::waitFor([&] {
        return X11::geometryOnScreen(x11(), moved).topLeft() == QPoint(31, 60)
            && X11::wmStates(x11(), maximized).contains(ewmh->_NET_WM_STATE_MAXIMIZED_VERT);
    });
    const QPoint startedAt = X11::geometryOnScreen(x11(), moved).topLeft();
    QVERIFY2(
        started,
        qPrintable(
            QStringLiteral("moved at %1,%2; maximized %3\n%4")
                .arg(startedAt.x())
                .arg(startedAt.y())
                .arg(X11::wmStates(x11(), maximized).contains(ewmh->_NET_WM_STATE_MAXIMIZED_VERT))
                .arg(log(*m_service))));
    // What the user does afterwards, once the service is done with the windows.
    const xcb_window_t firstProbe = openProbe();
    QVERIFY(firstProbe);
    X11::requestMoveResize(x11(), moved, QRect(400, 300, 300, 200), XCB_GRAVITY_STATIC);
    X11::requestStates(x11(), maximized, false, ewmh->_NET_WM_STATE_MAXIMIZED_VERT,
                       ewmh->_NET_WM_STATE_MAXIMIZED_HORZ);
    QVERIFY(X11Session::waitFor([&] {
        return X11::geometryOnScreen(x11(), moved).topLeft() == QPoint(400, 300)
            && !X11::wmStates(x11(), maximized).contains(ewmh->_NET_WM_STATE_MAXIMIZED_VERT);
    }));

    QVERIFY2(m_session.restartWindowManager(X11Session::Restart::Replaced),
             qPrintable(m_session.error()));
    const xcb_window_t probe = openProbe();
    QVERIFY(probe);
    // The new window manager may put the frame where the client was: the window stays there.
    const QPoint movedTo = X11::geometryOnScreen(x11(), moved).topLeft();
    QVERIFY(movedTo != QPoint(31, 60));
    QVERIFY(m_service->stop());
    QVERIFY(startService(*m_service, m_session.environment()));

    QCOMPARE(X11::geometryOnScreen(x11(), moved).topLeft(), movedTo);
    QVERIFY(!X11::wmStates(x11(), maximized).contains(ewmh->_NET_WM_STATE_MAXIMIZED_VERT));
    // The restarted service gives the window back what it had itself: no hints at all.
    // A state the restarted service finds missing it asks for again: the window ends above.
    QVERIFY(X11Session::waitFor([&] {
        return holds(Check::FrameExtents, maximized, "1,1,1,1")
            && holds(Check::States, maximized, "_NET_WM_STATE_ABOVE");
    }));
    // The entry goes while no service runs.
    QVERIFY(m_service->stop());
    const QStringList kept = m_service->readStorage().filter(QRegularExpression("^(?!Maximized;)"));
    m_service->writeStorage(kept);
    QVERIFY(startService(*m_service, m_session.environment()));
    QVERIFY(X11Session::waitFor([&] {
        return holds(Check::FrameExtents, maximized, "1,1,20,5")
            && !X11::readProperty(x11(), maximized, x11().atoms().motifWmHints)->exists()
            && !X11::wmStates(x11(), maximized).contains(ewmh->_NET_WM_STATE_ABOVE);
    }));
    for (const xcb_window_t window : { moved, maximized, firstProbe, probe })
        QVERIFY(m_client->destroy(window));
}

// A dock along the top edge; open once the window manager keeps other windows away from it.
xcb_window_t TestApplierX11::openPanel(int height)
{
    const xcb_window_t panel
        = m_desktop->client->open(X11TestClient::wmClass("panel", "Panel"),
                                  QStringLiteral("geometry 1024x%1+0+0 dock %1").arg(height));
    // Where the window manager keeps no work area (Weston), the panel only stands there.
    X11Connection &x = m_desktop->session.x11();
    const bool keepsWorkArea = m_desktop->supported.contains(x.ewmh()->_NET_WORKAREA);
    if (!panel || !X11Session::waitFor([&] {
            return keepsWorkArea ? X11::workArea(x).top() == height
                                 : m_desktop->session.isManaged(panel);
        }))
        return XCB_WINDOW_NONE;
    return panel;
}

bool TestApplierX11::useWindowManager(const QString &program)
{
    if (m_desktop && m_desktop->program == program)
        return true;
    if (!m_desktop)
        m_service->stop();
    m_desktop.reset();
    m_desktop = std::make_unique<ManagedDesktop>();
    ManagedDesktop &desktop = *m_desktop;
    desktop.program = program;
    if (!desktop.session.startDesktop(program)) {
        qWarning("%s", qPrintable(desktop.session.error()));
        return false;
    }
    X11Connection &x = desktop.session.x11();
    // Xfwm4 names itself a while after it took the screen's selection and framed the first
    // windows: read earlier, the rows would expect what an unmeasured window manager does.
    const bool named = X11Session::waitFor([&] {
        const xcb_window_t check
            = X11::cardinal(x, x.root(), x.ewmh()->_NET_SUPPORTING_WM_CHECK).value_or(0);
        const std::optional<X11::RawProperty> name
            = X11::readProperty(x, check, x.ewmh()->_NET_WM_NAME);
        desktop.name = name ? QString::fromUtf8(name->data) : QString();
        return !desktop.name.isEmpty();
    });
    if (!named)
        return false;
    desktop.traits.manager = windowManagerTraits(desktop.name);
    desktop.shownName = desktop.session.isXwayland()
        ? x11Effects(desktop.traits, desktop.name).onXwaylandOnly().desktop()
        : desktop.name;
    desktop.supported = X11::readProperty(x, x.root(), x.ewmh()->_NET_SUPPORTED)->cardinals();
    if (!desktop.supported.contains(x.ewmh()->_NET_WM_STATE_ABOVE))
        desktop.traits.unsupported |= Aspect::Above;
    const bool publishesExtents = desktop.supported.contains(x.ewmh()->_NET_FRAME_EXTENTS);
    desktop.client = std::make_unique<X11TestClient>(desktop.session.environment());
    const xcb_window_t plain = desktop.client->open(X11TestClient::wmClass("plain", "Plain"));
    const xcb_window_t frameless
        = desktop.client->open(X11TestClient::wmClass("frameless", "Frameless"), "motif 2,0,0");
    if (!X11Session::waitFor([&] {
            desktop.plainFrame = X11::frameByGeometry(x, plain);
            desktop.framelessFrame = X11::frameByGeometry(x, frameless);
            // The frameless one shown: a window manager frames a window before it shows it.
            return (!X11::frameExtents(x, plain).isNull() || !publishesExtents)
                && !desktop.plainFrame.isNull() && desktop.session.isManaged(frameless)
                && X11::isViewableTopLevel(x, frameless);
        }))
        return false;
    if (titleBarTellsButtons()) {
        if (!X11Session::waitFor([&] { return isActive(plain); }))
            return false;
        desktop.plainTitleBar = titleBar(plain);
    }
    desktop.client->destroy(plain);
    desktop.client->destroy(frameless);
    return startService(desktop.service, desktop.session.environment());
}

bool TestApplierX11::hasFrame(xcb_window_t window, quint32 decorationsOff)
{
    const QMargins frame = X11::frameByGeometry(m_desktop->session.x11(), window);
    const QMargins &plain = m_desktop->plainFrame;
    if (decorationsOff == Motif::AllDecorations)
        return frame == m_desktop->framelessFrame && m_desktop->session.isManaged(window);
    const bool borderGoes = decorationsOff & Motif::DecorBorder;
    const bool handleGoes = decorationsOff & Motif::DecorResizeHandle;
    // Where the border goes, the title bar loses its share of it too.
    const bool titleGone = plain.top() - frame.top() > plain.left() - frame.left();
    return titleGone == bool(decorationsOff & Motif::DecorTitle)
        && (frame.left() == 0) == borderGoes
        && (frame.bottom() < plain.bottom()) == (borderGoes || handleGoes);
}

bool TestApplierX11::allowsActions(xcb_window_t window, quint32 functionsOff)
{
    X11Connection &x = m_desktop->session.x11();
    const std::optional<X11::RawProperty> allowed
        = X11::readProperty(x, window, x.ewmh()->_NET_WM_ALLOWED_ACTIONS);
    if (!allowed || !allowed->exists())
        return functionsOff == 0; // some publish them only once the window has hints
    const QVector<quint32> actions = allowed->cardinals();
    const QPair<quint32, xcb_atom_t> buttons[] = {
        { Motif::FunctionMinimize, x.ewmh()->_NET_WM_ACTION_MINIMIZE },
        { Motif::FunctionMaximize, x.ewmh()->_NET_WM_ACTION_MAXIMIZE_VERT },
        { Motif::FunctionClose, x.ewmh()->_NET_WM_ACTION_CLOSE },
    };
    return std::all_of(std::begin(buttons), std::end(buttons), [&](const auto &button) {
        return actions.contains(button.second) != bool(functionsOff & button.first);
    });
}

// Asks for the window to be active until it is: title bars are compared in one state.
bool TestApplierX11::isActive(xcb_window_t window)
{
    X11Connection &x = m_desktop->session.x11();
    if (X11::cardinal(x, x.root(), x.ewmh()->_NET_ACTIVE_WINDOW) == window)
        return true;
    X11::requestActivate(x, window);
    xcb_flush(x.xcb());
    return false;
}

QByteArray TestApplierX11::titleBar(xcb_window_t window)
{
    X11Connection &x = m_desktop->session.x11();
    const QRect inner = X11::geometryOnScreen(x, window);
    const QMargins frame = X11::frameByGeometry(x, window);
    const QRect bar(inner.left() - frame.left(), inner.top() - frame.top(),
                    inner.width() + frame.left() + frame.right(), frame.top());
    const auto image = X11::adopt(xcb_get_image_reply(
        x.xcb(),
        xcb_get_image(x.xcb(), XCB_IMAGE_FORMAT_Z_PIXMAP, x.root(), int16_t(bar.x()),
                      int16_t(bar.y()), uint16_t(bar.width()), uint16_t(bar.height()), ~0u),
        nullptr));
    if (!image)
        return {};
    return QByteArray(reinterpret_cast<const char *>(xcb_get_image_data(image.get())),
                      xcb_get_image_data_length(image.get()));
}

bool TestApplierX11::hasButtons(xcb_window_t window, quint32 decorationsOff, quint32 functionsOff)
{
    const bool barTells = titleBarTellsButtons() && !(decorationsOff & Motif::DecorTitle);
    if (barTells && !isActive(window))
        return false;
    // A title bar of another width (a window resized) is not compared.
    const QByteArray bar = barTells ? titleBar(window) : QByteArray();
    const bool plainBar
        = bar.size() != m_desktop->plainTitleBar.size() || bar == m_desktop->plainTitleBar;
    if (barTells && functionsOff)
        return !plainBar;
    return plainBar && allowsActions(window, functionsOff);
}

// What a frame row that fails shows: enough to tell whether the hints were written, the window
// manager took them, or either of them stopped.
QString TestApplierX11::frameReport(xcb_window_t window)
{
    ManagedDesktop &desktop = *m_desktop;
    X11Connection &x = desktop.session.x11();
    const QMargins frame = X11::frameByGeometry(x, window);
    const std::optional<X11::RawProperty> hints
        = X11::readProperty(x, window, x.atoms().motifWmHints);
    desktop.log += QString::fromUtf8(desktop.service.process().readAllStandardError());
    QString report = desktop.log;
    QDebug(&report) << "\nframe" << frame << "plain" << desktop.plainFrame << "frameless"
                    << desktop.framelessFrame << "all actions" << allowsActions(window, 0)
                    << "hints" << (hints ? hints->cardinals() : QVector<quint32>()) << "managed"
                    << desktop.session.isManaged(window) << "active" << isActive(window)
                    << "service running"
                    << (desktop.service.process().state() == QProcess::Running);
    return report;
}

void TestApplierX11::theToolSaysWhatEveryWindowManagerDoes_data()
{
    QTest::addColumn<QString>("windowManager");
    for (const WindowManagerDescription &wm : X11Session::windowManagers())
        QTest::newRow(qPrintable(wm.program)) << wm.program;
}

// The frame rows check the applier's table against each window manager; the tool must tell
// the user that same table.
void TestApplierX11::theToolSaysWhatEveryWindowManagerDoes()
{
    QFETCH(QString, windowManager);
    QVERIFY2(useWindowManager(windowManager), qPrintable(windowManager));
    ManagedDesktop &desktop = *m_desktop;
    const ToolRun run = runTool({ QStringLiteral("--desktop") });
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const DesktopEffects onX11 = x11Effects(desktop.traits, desktop.name);
    const DesktopEffects expected = desktop.session.isXwayland() ? onX11.onXwaylandOnly() : onX11;
    QCOMPARE(lines.value(0), QStringLiteral("Desktop: ") + expected.desktop());
    for (const char *frameKey : { "no_title", "no_border", "no_border_edge", "no_ctrlbtn",
                                  "no_button1", "no_button2", "no_button3" }) {
        const PropertyEffect effect = expected.of(QLatin1String(frameKey));
        QString line = QLatin1String(frameKey)
            + QLatin1String(effect.effect == Effect::Applied ? ": applied" : ": no effect");
        if (!effect.note.isEmpty())
            line += QStringLiteral(" (%1)").arg(effect.note);
        QVERIFY2(lines.contains(line), qPrintable(line + QLatin1Char('\n') + run.out));
    }
    // A quiet run names what it stored to no effect, and only that.
    const QString record = QStringLiteral("Told;no_ctrlbtn;no_button1;ontop");
    const QStringList noEffect = expected.noEffectIn(recordOf(record));
    const ToolRun quiet = runTool({ QStringLiteral("--quiet"), QStringLiteral("--add"), record });
    QCOMPARE(quiet.exitCode, 0);
    QCOMPARE(quiet.err,
             noEffect.isEmpty()
                 ? QString()
                 : QStringLiteral("kivo-admin-winprops: the properties %1 of \"Told\" have no "
                                  "effect on this desktop (%2)\n")
                       .arg(noEffect.join(QStringLiteral(", ")), expected.desktop()));
    QVERIFY(succeeded(m_apprc->removeWindowProperties(QStringLiteral("Told"))));
}

void TestApplierX11::framesOnEveryWindowManager_data()
{
    QTest::addColumn<QString>("windowManager");
    QTest::addColumn<QString>("properties");
    QTest::addColumn<QString>("clientOptions");
    QTest::addColumn<int>("panelHeight"); // of of a panel along the top edge

    // What each does is in the applier's table; these rows check the table against them.
    const char *const properties[]
        = { "no_title", "no_border", "no_title;no_border", "no_border_edge",
            "no_ctrlbtn;no_button1;no_button2;no_button3" };
    for (const WindowManagerDescription &described : X11Session::windowManagers()) {
        for (const char *property : properties)
            QTest::addRow("%s: %s", qPrintable(described.program), property)
                << described.program << property << QString() << 0;
    }
    for (const WindowManagerDescription &described : X11Session::windowManagers()) {
        const QString wm = described.program;
        const QByteArray latin1 = wm.toLatin1();
        const char *windowManager = latin1.constData();
        QTest::addRow("%s: geometry=300x200-30-40", windowManager)
            << wm << "geometry=300x200-30-40" << QString() << 0;
        QTest::addRow("%s: geometry=300x200-30-40, a client with an X border", windowManager)
            << wm << "geometry=300x200-30-40"
            << "border 1" << 0;
        QTest::addRow("%s: geometry=300x200+30+60 beside a panel", windowManager)
            << wm << "geometry=300x200+30+60" << QString() << 40;
        QTest::addRow("%s: geometry=300x200-30-40 beside a panel", windowManager)
            << wm << "geometry=300x200-30-40" << QString() << 40;
        QTest::addRow("%s: geometry=300x200+100+10 inside a panel", windowManager)
            << wm << "geometry=300x200+100+10" << QString() << 40;
        QTest::addRow("%s: no_title;no_border;geometry=300x200+100+80", windowManager)
            << wm << "no_title;no_border;geometry=300x200+100+80" << QString() << 0;
    }
}

void TestApplierX11::framesOnEveryWindowManager()
{
    QFETCH(QString, windowManager);
    QFETCH(QString, properties);
    QFETCH(QString, clientOptions);
    QFETCH(int, panelHeight);
    // A window manager that cannot start fails its rows: the suite is about all of them.
    QVERIFY2(useWindowManager(windowManager), qPrintable(windowManager));
    ManagedDesktop &desktop = *m_desktop;
    const WindowManagerTraits &manager = desktop.traits.manager;
    const xcb_window_t panel = panelHeight ? openPanel(panelHeight) : xcb_window_t(XCB_WINDOW_NONE);
    QVERIFY(panel || !panelHeight);
    const QString name = QStringLiteral("Frame%1").arg(++m_windowNumber);
    const WinProps record = recordOf(name + QLatin1Char(';') + properties);
    const ApplyDecision expected = decide(&record, true, LastingProps(), desktop.traits);
    QVERIFY(succeeded(m_apprc->setWindowProperties(name, properties)));
    const xcb_window_t window
        = desktop.client->open(X11TestClient::wmClass("frame", name.toUtf8()), clientOptions);
    QVERIFY(window);
    const QString noEffect
        = QStringLiteral("The properties %1 of \"%2\" have no effect on this desktop (%3).")
              .arg(expected.notApplied.join(QStringLiteral(", ")), name, desktop.shownName);
    const auto logged = [&](const QString &line) {
        desktop.log += QString::fromUtf8(desktop.service.process().readAllStandardError());
        return desktop.log.contains(line);
    };
    const bool applied = X11Session::waitFor([&] {
        return hasFrame(window, expected.lasting.decorationsOff)
            && hasButtons(window, expected.lasting.decorationsOff, expected.lasting.functionsOff)
            && (expected.notApplied.isEmpty() || logged(noEffect));
    });
    // Only then: the report asks for the window to be active.
    if (!applied)
        QFAIL(qPrintable(frameReport(window)));
    QCOMPARE(desktop.log.contains(QStringLiteral("of \"%1\" have no effect").arg(name)),
             !expected.notApplied.isEmpty());

    if (expected.notApplied.contains(QStringLiteral("geometry"))) {
        // Tiled: said, and nothing to measure.
    } else if (expected.start.geometry && manager.placesWindowsItself) {
        // Its X coordinates tell nothing of where it shows; the size holds, and the position
        // is said to be ignored.
        const GeometrySpec &geometry = *expected.start.geometry;
        const QString ignored
            = QStringLiteral("ignores the position that the geometry of \"%1\"").arg(name);
        QVERIFY2(X11Session::waitFor([&] {
                     return logged(ignored)
                         && X11::geometryOnScreen(desktop.session.x11(), window).size()
                         == QSize(geometry.width, geometry.height);
                 }),
                 qPrintable(desktop.log));
    } else if (expected.start.geometry) {
        // The frame's edges land exactly on the offsets from the screen's edges. The visible
        // frame: Metacity's top-level window holds invisible borders too.
        const GeometrySpec &geometry = *expected.start.geometry;
        const int border = X11::borderWidth(desktop.session.x11(), window);
        // Without a frame Metacity may leave the extents of the old one published.
        const bool frameless = expected.lasting.decorationsOff == Motif::AllDecorations;
        QRect outer;
        // Asked under a panel, it may be where the window manager put it instead, said once.
        const bool underThePanel
            = panelHeight && !geometry.fromBottomEdge && geometry.y < panelHeight;
        const QString elsewhere = QStringLiteral("placed \"%1\" at ").arg(name);
        const bool placed = X11Session::waitFor([&] {
            if (underThePanel && logged(elsewhere))
                return true;
            const QRect inner = X11::geometryOnScreen(desktop.session.x11(), window);
            const QMargins frame
                = frameless ? QMargins() : X11::frameExtents(desktop.session.x11(), window);
            outer = inner.marginsAdded(frame + QMargins(border, border, border, border));
            return inner.size() == QSize(geometry.width, geometry.height)
                && (geometry.fromRightEdge ? outer.right() == 1024 - geometry.x - 1
                                           : outer.left() == geometry.x)
                && (geometry.fromBottomEdge ? outer.bottom() == 768 - geometry.y - 1
                                            : outer.top() == geometry.y);
        });
        desktop.log += QString::fromUtf8(desktop.service.process().readAllStandardError());
        QVERIFY2(placed,
                 qPrintable(QStringLiteral("frame at %1,%2 %3x%4\n%5")
                                .arg(outer.x())
                                .arg(outer.y())
                                .arg(outer.width())
                                .arg(outer.height())
                                .arg(desktop.log)));
    }
    QVERIFY(succeeded(m_apprc->removeWindowProperties(name)));
    // i3 keeps a client's own X border inside its frame.
    const int ownBorder = X11::borderWidth(desktop.session.x11(), window);
    const bool restored = X11Session::waitFor([&] {
        return X11::frameByGeometry(desktop.session.x11(), window)
                - QMargins(ownBorder, ownBorder, ownBorder, ownBorder)
            == desktop.plainFrame
            && hasButtons(window, 0, 0);
    });
    if (!restored)
        QFAIL(qPrintable(frameReport(window)));
    QVERIFY(desktop.client->destroy(window));
    if (panel)
        QVERIFY(desktop.client->destroy(panel));
}

void TestApplierX11::statesComeAndGoOnEveryWindowManager_data()
{
    QTest::addColumn<QString>("windowManager");
    QTest::addColumn<QStringList>("stores"); // one after another on an open window
    QTest::addColumn<QString>("state"); // in force after the last store, gone with the record
    QTest::addColumn<QString>("gone"); // gone after the last store
    for (const WindowManagerDescription &described : X11Session::windowManagers()) {
        const QByteArray latin1 = described.program.toLatin1();
        const char *wm = latin1.constData();
        const auto row = [&](const char *what, const QStringList &stores, const char *state,
                             const char *gone = "") {
            QTest::addRow("%s: %s", wm, what) << described.program << stores << state << gone;
        };
        row("on top", { "ontop" }, "_NET_WM_STATE_ABOVE");
        row("on bottom", { "onbottom" }, "_NET_WM_STATE_BELOW");
        row("on top, then on bottom", { "ontop", "onbottom" }, "_NET_WM_STATE_BELOW",
            "_NET_WM_STATE_ABOVE");
        row("on all desktops", { "sticky" }, "all desktops");
        row("no taskbar button", { "no_tbutton" }, "_NET_WM_STATE_SKIP_TASKBAR");
        row("no pager miniature", { "no_pager" }, "_NET_WM_STATE_SKIP_PAGER");
    }
}

// States asked of the window manager come and go with the record on an open window.
void TestApplierX11::statesComeAndGoOnEveryWindowManager()
{
    QFETCH(QString, windowManager);
    QFETCH(QStringList, stores);
    QFETCH(QString, state);
    QFETCH(QString, gone);
    QVERIFY2(useWindowManager(windowManager), qPrintable(windowManager));
    ManagedDesktop &desktop = *m_desktop;
    X11Connection &x = desktop.session.x11();
    const QString name = QStringLiteral("State%1").arg(++m_windowNumber);
    const xcb_window_t window
        = desktop.client->open(X11TestClient::wmClass("state", name.toUtf8()));
    QVERIFY(window);
    QVERIFY(X11Session::waitFor([&] { return desktop.session.isManaged(window); }));
    // On all desktops: either way a window manager shows it.
    const auto has = [&](const QString &atomName) {
        const QVector<xcb_atom_t> states = X11::wmStates(x, window);
        if (atomName == QLatin1String("all desktops"))
            return states.contains(x.ewmh()->_NET_WM_STATE_STICKY)
                || X11::cardinal(x, window, x.ewmh()->_NET_WM_DESKTOP) == 0xFFFFFFFFu;
        return states.contains(x.internAtom(qPrintable(atomName)));
    };
    for (const QString &properties : qAsConst(stores))
        QVERIFY(succeeded(m_apprc->setWindowProperties(name, properties)));
    const QString noEffect = QStringLiteral("of \"%1\" have no effect").arg(name);
    QVERIFY2(X11Session::waitFor([&] {
                 desktop.log += QString::fromUtf8(desktop.service.process().readAllStandardError());
                 return desktop.log.contains(noEffect)
                     || (has(state) && (gone.isEmpty() || !has(gone)));
             }),
             qPrintable(desktop.log));
    QVERIFY(succeeded(m_apprc->removeWindowProperties(name)));
    QVERIFY2(X11Session::waitFor([&] { return !has(state); }),
             qPrintable(desktop.log
                        + QString::fromUtf8(desktop.service.process().readAllStandardError())));
    QVERIFY(desktop.client->destroy(window));
}

void TestApplierX11::restartsOnEveryWindowManagerRepeatNoStart_data()
{
    QTest::addColumn<QString>("windowManager");
    QTest::addColumn<X11Session::Restart>("how");
    const char *wayNames[] = { "ended and started", "replaced", "restarted in place" };
    for (const WindowManagerDescription &wm : X11Session::windowManagers()) {
        // A tiling one gives a window neither the place nor the maximized state looked at here.
        if (windowManagerTraits(wm.program).tiles)
            continue;
        for (const X11Session::Restart how : X11Session::restartsKnownTo(wm.program))
            QTest::addRow("%s %s", qPrintable(wm.program), wayNames[int(how)]) << wm.program << how;
    }
}

void TestApplierX11::restartsOnEveryWindowManagerRepeatNoStart()
{
    QFETCH(QString, windowManager);
    QFETCH(X11Session::Restart, how);
    QVERIFY2(useWindowManager(windowManager), qPrintable(windowManager));
    ManagedDesktop &desktop = *m_desktop;
    X11Connection &x = desktop.session.x11();
    const QString name = QStringLiteral("Restart%1").arg(++m_windowNumber);
    QVERIFY(succeeded(m_apprc->setWindowProperties(name, "geometry=300x200+30+60")));
    const QString maximizedName = name + QStringLiteral("Max");
    QVERIFY(succeeded(m_apprc->setWindowProperties(maximizedName, "init_maximize")));
    const xcb_window_t window
        = desktop.client->open(X11TestClient::wmClass("moved", name.toUtf8()));
    const xcb_window_t maximized
        = desktop.client->open(X11TestClient::wmClass("max", maximizedName.toUtf8()));
    const xcb_atom_t maximizedState = x.ewmh()->_NET_WM_STATE_MAXIMIZED_VERT;
    // Until the window manager's frame has settled, the service may place the window again; the
    // program's own size hints (it has none) are back once it has.
    QVERIFY(X11Session::waitFor([&] {
        return X11::geometryOnScreen(x, window).size() == QSize(300, 200)
            && !X11::readProperty(x, window, XCB_ATOM_WM_NORMAL_HINTS)->exists()
            && X11::wmStates(x, maximized).contains(maximizedState);
    }));
    // What the user does afterwards: the unmaximizing first, so that it has been handled once the
    // move shows (awesome ignores it). Where there is no _NET_MOVERESIZE_WINDOW (awesome), the
    // move is asked as a program asks, and the frame lands near the place.
    X11::requestStates(x, maximized, false, maximizedState, x.ewmh()->_NET_WM_STATE_MAXIMIZED_HORZ);
    const QRect moved(400, 300, 300, 200);
    if (desktop.supported.contains(x.ewmh()->_NET_MOVERESIZE_WINDOW)) {
        X11::requestMoveResize(x, window, moved, XCB_GRAVITY_STATIC);
    } else {
        const uint32_t values[] = { uint32_t(moved.x()), uint32_t(moved.y()),
                                    uint32_t(moved.width()), uint32_t(moved.height()) };
        xcb_configure_window(x.xcb(), window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH
                                 | XCB_CONFIG_WINDOW_HEIGHT,
                             values);
    }
    QRect placed;
    QVERIFY(X11Session::waitFor([&] {
        placed = X11::geometryOnScreen(x, window);
        return placed.size() == moved.size()
            && (placed.topLeft() - moved.topLeft()).manhattanLength() <= 30;
    }));
    const bool stillMaximized = X11::wmStates(x, maximized).contains(maximizedState);

    QVERIFY2(desktop.session.restartWindowManager(how), qPrintable(desktop.session.error()));
    // A window that appears after the other came back: once it has its state, the service has
    // handled all that came before.
    const QString probeName = name + QStringLiteral("Probe");
    QVERIFY(succeeded(m_apprc->setWindowProperties(probeName, "ontop")));
    const xcb_window_t probe
        = desktop.client->open(X11TestClient::wmClass("probe", probeName.toUtf8()));
    const xcb_atom_t above = x.ewmh()->_NET_WM_STATE_ABOVE;
    QVERIFY(X11Session::waitFor([&] { return X11::wmStates(x, probe).contains(above); }));
    // The new instance may put the frame where the client was; the window stays near there.
    const QRect now = X11::geometryOnScreen(x, window);
    QVERIFY2((now.topLeft() - placed.topLeft()).manhattanLength() <= 50,
             qPrintable(QStringLiteral("at %1,%2").arg(now.x()).arg(now.y())));
    QCOMPARE(now.size(), moved.size());
    QCOMPARE(X11::wmStates(x, maximized).contains(maximizedState), stillMaximized);
    for (const xcb_window_t opened : { window, maximized, probe })
        QVERIFY(desktop.client->destroy(opened));
}

KIVO_TEST_MAIN(TestApplierX11)
#include "tst_applierx11.moc"
