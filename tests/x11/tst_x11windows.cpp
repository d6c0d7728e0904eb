// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/x11/x11windows.h"
#include "tests/common/testenvironment.h"
#include "tests/x11/x11session.h"

#include <memory>
#include <optional>

Q_DECLARE_METATYPE(X11::PropertySet)

// The X11 layer against Xvfb with Openbox: what it reads back from windows of another program.
class TestX11Windows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readsWmClass_data();
    void readsWmClass();
    void findsTheClientWindowUnderAPoint();
    void windowManagerCarriesOutStateRequests();
    void packedPropertiesReadBackWhatIsWhole_data();
    void packedPropertiesReadBackWhatIsWhole();

private:
    X11Session m_session;
    std::unique_ptr<X11TestClient> m_client;
};

void TestX11Windows::initTestCase()
{
    QVERIFY2(m_session.startServer(), qPrintable(m_session.error()));
    QVERIFY2(m_session.startWindowManager(), qPrintable(m_session.error()));
    m_client = std::make_unique<X11TestClient>(m_session.environment());
}

void TestX11Windows::readsWmClass_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("instance");
    QTest::addColumn<QString>("className");

    QTest::newRow("instance and class")
        << X11TestClient::wmClass("xterm", "XTerm") << true << "xterm"
        << "XTerm";
    QTest::newRow("UTF-8") << X11TestClient::wmClass("привет", "Окно") << true
                           << QString::fromUtf8("привет") << QString::fromUtf8("Окно");
    QTest::newRow("not UTF-8 is Latin-1") << X11TestClient::wmClass("caf\xe9", "\xff\xfe") << true
                                          << QString::fromUtf8("café") << QString::fromUtf8("ÿþ");
    QTest::newRow("instance without terminator") << QByteArray("solo") << true << "solo"
                                                 << "";
    QTest::newRow("empty") << QByteArray("") << true << ""
                           << "";
    QTest::newRow("longer than read")
        << QByteArray(int(X11::maxWmClassBytes) + 8, 'a') << false << ""
        << "";
    QTest::newRow("no WM_CLASS") << QByteArray() << false << ""
                                 << "";
}

void TestX11Windows::readsWmClass()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    const xcb_window_t window = m_client->open(bytes);
    QVERIFY(window);
    const std::optional<X11::WmClass> wmClass = X11::readWmClass(m_session.x11(), window);
    QCOMPARE(wmClass.has_value(), readable);
    if (readable) {
        QTEST(wmClass->instance, "instance");
        QTEST(wmClass->className, "className");
    }
    QVERIFY(m_client->destroy(window));
    QVERIFY(!X11::readWmClass(m_session.x11(), window));
}

void TestX11Windows::findsTheClientWindowUnderAPoint()
{
    X11Connection &x11 = m_session.x11();
    const xcb_window_t window = m_client->open(X11TestClient::wmClass("picked", "Picked"),
                                               QStringLiteral("geometry 300x200+400+300"));
    QVERIFY(X11Session::waitFor([&] { return X11::readClientList(x11).contains(window); }));
    // Openbox moves the window into its frame; the point is looked up where it ended.
    QRect onScreen;
    QVERIFY(X11Session::waitFor([&] {
        onScreen = X11::geometryOnScreen(x11, window);
        return X11::frameExtents(x11, window).top() > 0 && onScreen.width() == 300;
    }));
    QCOMPARE(X11::clientWindowAt(x11, onScreen.center().x(), onScreen.center().y()), window);
    QCOMPARE(X11::clientWindowAt(x11, onScreen.left() - 200, onScreen.top() - 200),
             xcb_window_t(XCB_WINDOW_NONE));
    QVERIFY(m_client->destroy(window));
}

void TestX11Windows::windowManagerCarriesOutStateRequests()
{
    X11Connection &x11 = m_session.x11();
    const xcb_window_t window = m_client->open(X11TestClient::wmClass("state", "State"));
    QVERIFY(X11Session::waitFor([&] { return X11::readClientList(x11).contains(window); }));
    const xcb_atom_t above = x11.ewmh()->_NET_WM_STATE_ABOVE;
    X11::requestStates(x11, window, true, above, x11.ewmh()->_NET_WM_STATE_SKIP_TASKBAR);
    xcb_flush(x11.xcb());
    QVERIFY(X11Session::waitFor([&] { return X11::wmStates(x11, window).contains(above); }));
    QVERIFY(X11::wmStates(x11, window).contains(x11.ewmh()->_NET_WM_STATE_SKIP_TASKBAR));
    X11::requestStates(x11, window, false, above);
    xcb_flush(x11.xcb());
    QVERIFY(X11Session::waitFor([&] { return !X11::wmStates(x11, window).contains(above); }));
    QVERIFY(m_client->destroy(window));
}

void TestX11Windows::packedPropertiesReadBackWhatIsWhole_data()
{
    QTest::addColumn<X11::PropertySet>("properties");
    QTest::addColumn<int>("cut"); // cardinals taken off the end of the packed value
    QTest::addColumn<int>("kept");

    const X11::RawProperty hints { 300, 32, QByteArray(20, '\x01') };
    const X11::RawProperty odd { XCB_ATOM_STRING, 8, QByteArray("odd") };
    const X11::RawProperty none;
    const X11::PropertySet set { { 1, hints }, { 2, odd }, { 3, none } };
    QTest::newRow("whole") << set << 0 << 3;
    QTest::newRow("the last one cut short") << X11::PropertySet { { 1, hints } } << 1 << 0;
    QTest::newRow("nothing") << X11::PropertySet() << 0 << 0;
}

void TestX11Windows::packedPropertiesReadBackWhatIsWhole()
{
    QFETCH(X11::PropertySet, properties);
    QFETCH(int, cut);
    QFETCH(int, kept);
    QVector<quint32> packed = X11::packProperties(properties);
    packed.resize(packed.size() - cut);
    const X11::PropertySet read = X11::unpackProperties(packed);
    QCOMPARE(read.size(), kept);
    if (cut == 0)
        QCOMPARE(read, properties);
}

KIVO_TEST_MAIN_WITHOUT_BUS(TestX11Windows)
#include "tst_x11windows.moc"
