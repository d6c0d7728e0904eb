// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/x11/x11windowpicker.h"
#include "platform/x11/x11windows.h"
#include "tests/common/testenvironment.h"
#include "tests/dialog/dialogfixture.h"
#include "tests/x11/x11session.h"

#include <QSignalSpy>

namespace {
enum class Act { LeftClick, RightClick, Escape };

QString pickMessage(const char *text)
{
    return QStringLiteral("Pick a window|") + QLatin1String(text);
}
} // namespace

Q_DECLARE_METATYPE(Act)

// "Pick a window" in the dialog, which runs on Xvfb with Openbox (the xcb platform), with windows
// of a test program to click: clicks, keys and grabs are faked through XTEST.
class TestWindowPicking : public QObject
{
    Q_OBJECT

    X11Session m_session;
    std::unique_ptr<X11TestClient> m_client;
    QMap<QString, QPoint> m_targets;

    // The middle of a new window of the test program, once it is managed.
    QPoint openWindow(const QByteArray &wmClass, const QString &geometry)
    {
        X11Connection &x11 = m_session.x11();
        const xcb_window_t window = m_client->open(wmClass, QStringLiteral("geometry ") + geometry);
        QPoint middle;
        X11Session::waitFor([&] {
            middle = X11::geometryOnScreen(x11, window).center();
            return X11::clientWindowAt(x11, middle.x(), middle.y()) == window;
        });
        return middle;
    }

    bool grabPointer()
    {
        xcb_connection_t *xcb = m_session.x11().xcb();
        const auto reply = X11::adopt(xcb_grab_pointer_reply(
            xcb,
            xcb_grab_pointer(xcb, 0, m_session.x11().root(), XCB_EVENT_MASK_BUTTON_PRESS,
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_WINDOW_NONE,
                             XCB_CURSOR_NONE, XCB_CURRENT_TIME),
            nullptr));
        return reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    }

    void ungrabPointer()
    {
        xcb_ungrab_pointer(m_session.x11().xcb(), XCB_CURRENT_TIME);
        // Done before the picker, on a connection of its own, grabs it again.
        X11::sync(m_session.x11());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        qRegisterMetaType<WindowPickOutcome>();
        QVERIFY2(m_session.useServer(qgetenv("DISPLAY")), qPrintable(m_session.error()));
        QVERIFY2(m_session.startWindowManager(), qPrintable(m_session.error()));
        m_client = std::make_unique<X11TestClient>(m_session.environment());
        // Away from the middle of the screen, where the message boxes show.
        m_targets["picktest"] = openWindow(X11TestClient::wmClass("picktest", "PickTest"),
                                           QStringLiteral("300x200+20+40"));
        m_targets["class only"]
            = openWindow(X11TestClient::wmClass("", "ClassOnly"), QStringLiteral("300x200+650+40"));
        m_targets["no class"] = openWindow(QByteArray(), QStringLiteral("300x200+20+480"));
        m_targets["desktop"] = QPoint(1000, 740);
        for (const QPoint &target : qAsConst(m_targets))
            QVERIFY(!target.isNull());
        QCOMPARE(X11::clientWindowAt(m_session.x11(), 1000, 740), xcb_window_t(XCB_WINDOW_NONE));
    }

    void pick_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<Act>("action");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QStringList>("messages");

        const QStringList other("other;ontop");
        QTest::newRow("a new name is added at the end, current")
            << other << Act::LeftClick << "picktest" << QStringList({ "other", "picktest" })
            << "picktest" << true << QStringList();
        QTest::newRow("an existing name is selected")
            << QStringList({ "a;ontop", "picktest;sticky", "z" }) << Act::LeftClick << "picktest"
            << QStringList({ "a", "picktest", "z" }) << "picktest" << false << QStringList();
        QTest::newRow("an empty instance gives the class")
            << other << Act::LeftClick << "class only" << QStringList({ "other", "ClassOnly" })
            << "ClassOnly" << true << QStringList();
        QTest::newRow("Escape cancels")
            << other << Act::Escape << "picktest" << QStringList("other") << "other" << false
            << QStringList();
        QTest::newRow("a right click cancels")
            << other << Act::RightClick << "picktest" << QStringList("other") << "other" << false
            << QStringList();
        QTest::newRow("the desktop is no window")
            << other << Act::LeftClick << "desktop" << QStringList("other") << "other" << false
            << QStringList(pickMessage("That was the desktop, not a window. Nothing was added."));
        QTest::newRow("a window without WM_CLASS")
            << other << Act::LeftClick << "no class" << QStringList("other") << "other" << false
            << QStringList(pickMessage("That window has no program name or window class "
                                       "(WM_CLASS). Nothing was added."));
    }

    void pick()
    {
        QFETCH(Act, action);
        QFETCH(QString, target);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, stored);
        DialogFixture f(stored);
        f.makeDialog();
        auto *pickButton = f.child<QPushButton>("pickButton");
        QVERIFY(!pickButton->isHidden());
        QSignalSpy finished(f.dialog->findChild<X11WindowPicker *>(), &X11WindowPicker::finished);
        for (int i = 0; i < messages.size(); ++i)
            f.answers.thenClick(QMessageBox::Ok);

        pickButton->click();
        QVERIFY(!pickButton->isEnabled());
        QVERIFY(!grabPointer());
        const QPoint where = m_targets.value(target);
        if (action == Act::Escape)
            m_session.fakeKey(X11::keycodesOf(m_session.x11(), 0xff1b /* Escape */).value(0));
        else
            m_session.fakeClick(where, action == Act::LeftClick ? 1 : 3);
        QVERIFY(finished.wait());

        QCOMPARE(f.answers.seen(), messages);
        QTEST(f.names(), "names");
        QTEST(f.list()->currentString(), "current");
        QTEST(f.isChanged(), "changed");
        // The editor shows the current entry; a new one blank, as Add... makes it.
        QCOMPARE(f.checkBox("ontopCB")->isChecked(), f.list()->currentString() == "other");
        QVERIFY(pickButton->isEnabled());
        // The grab is over.
        QVERIFY(grabPointer());
        ungrabPointer();
    }

    void aPointerHeldElsewhereIsReported()
    {
        DialogFixture f({ "other" });
        f.makeDialog();
        QVERIFY(grabPointer());
        f.answers.thenClick(QMessageBox::Ok);
        f.child<QPushButton>("pickButton")->click();
        ungrabPointer();
        QCOMPARE(f.answers.seen(),
                 QStringList(pickMessage("Another program holds the mouse "
                                         "pointer or the keyboard. Try again "
                                         "when it lets go.")));
        QVERIFY(f.child<QPushButton>("pickButton")->isEnabled());
        QVERIFY(!f.isChanged());
    }

    void hiddenWithoutAReachableDisplay_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("no DISPLAY") << QByteArray();
        QTest::newRow("DISPLAY of no server") << QByteArray(":4093");
    }

    void hiddenWithoutAReachableDisplay()
    {
        QFETCH(QByteArray, display);
        const QByteArray own = qgetenv("DISPLAY");
        qputenv("DISPLAY", display);
        DialogFixture f({ "other" });
        f.makeDialog();
        qputenv("DISPLAY", own);
        QVERIFY(f.child<QPushButton>("pickButton")->isHidden());
    }
};

// The application runs on an Xvfb started before it.
int main(int argc, char *argv[])
{
    TestEnvironment::enterWithoutBus();
    const XvfbForApplication server;
    if (server.display().isEmpty())
        qFatal("Xvfb does not start");
    int status = 0;
    {
        QApplication app(argc, argv);
        TestWindowPicking test;
        status = QTest::qExec(&test, argc, argv);
    }
    TestEnvironment::leave();
    return status;
}

#include "tst_windowpicking.moc"
