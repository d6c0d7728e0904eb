// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_X11SESSION_H
#define KIVO_X11SESSION_H

#include "platform/x11/x11connection.h"

#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <sys/types.h>

// The compositors refuse to run as root (sway, weston) or fail there (KWin): when the test runs as
// root they run as this user, created when missing. The command that runs a program as that user,
// or nothing when the test is not root; false, with the reason in error, when that cannot be.
bool compositorLauncher(QStringList &launcher, QString &error);
// Makes runtime (inside folder, which all may enter) the compositor's own: private, and handed to
// its user when the launcher runs it as one.
bool makeCompositorRuntime(const QString &folder, const QString &runtime,
                           const QStringList &launcher, QString &error);

// A window manager the tests run, as tests/x11/window-managers describes it.
struct WindowManagerDescription
{
    QString program;
    QStringList command;
    QStringList restartInPlace; // empty: it cannot
    bool replaceable = false;
    QString settingsPath; // under its HOME
    QByteArray settingsLine;
    // It owns WM_S0 once it manages windows; else only a window it lists tells.
    bool ownsScreenSelection = true;
    // A Wayland compositor whose Xwayland is the X server: it runs as the compositor's user, and
    // ending it ends the display.
    bool bringsXwayland = false;
};

// An X server of the test's own (Xvfb on a display number it picks itself), optionally with
// Openbox, and a connection of the test to it.
class X11Session
{
public:
    // The window managers the tests run, in the file's order.
    static const QVector<WindowManagerDescription> &windowManagers();
    // The one of them with that program, or null.
    static const WindowManagerDescription *describedAs(const QString &program);

    X11Session();
    ~X11Session();

    // Starts Xvfb and connects; false, with the reason in error(), when that fails.
    bool startServer(const QString &screenSize = QStringLiteral("1024x768x24"));
    // Connects to a server started elsewhere (XvfbForApplication).
    bool useServer(const QByteArray &display);
    // Starts one of windowManagers() and waits until it manages windows: _NET_SUPPORTING_WM_CHECK
    // and WM_S0 are set, and a throw-away window is managed.
    bool startWindowManager(const QString &program = QStringLiteral("openbox"));
    // The X server unless the window manager brings its own, then the window manager.
    bool startDesktop(const QString &program);
    // Under a Wayland compositor's Xwayland.
    bool isXwayland() const { return m_windowManagerDescription.bringsXwayland; }
    // In _NET_CLIENT_LIST, or framed with a WM_STATE by a window manager that keeps no list.
    bool isManaged(xcb_window_t window);
    // The ways a window manager is restarted: ended and started again, replaced by another
    // instance (--replace), or told to restart itself (as its menu does).
    enum class Restart { EndedAndStarted, Replaced, InPlace };
    // The ways the window manager knows.
    static QVector<Restart> restartsKnownTo(const QString &program);
    // Restarts the running window manager that way, and waits until it lists the windows it
    // had and takes new ones.
    bool restartWindowManager(Restart how);
    void stopWindowManager();
    // Stops or continues the window manager's process, as if it were busy (not for xfwm4).
    bool pauseWindowManager(bool paused);
    void killServer();

    QString error() const { return m_error; }
    QByteArray display() const { return m_display; }
    X11Connection &x11() { return *m_x11; }
    // The environment for programs that should use this display.
    QProcessEnvironment environment() const;

    // Input as from the mouse and the keyboard, through XTEST.
    void fakeClick(const QPoint &position, xcb_button_t button = 1);
    void fakeKey(xcb_keycode_t keycode);

    // Waits, handling events, until condition holds; false after timeoutMs.
    static bool waitFor(const std::function<bool()> &condition, int timeoutMs = 10000);

private:
    bool managesWindows();
    QProcessEnvironment windowManagerEnvironment() const;
    bool launchWindowManager(const QStringList &extraArguments);
    void stopWindowManagerProcess();
    bool replaceWindowManager();
    bool restartInPlace();
    bool listsAgain(const QVector<xcb_window_t> &clients);
    bool takesNewWindows();
    bool startCompositor();

    QProcess m_server;
    std::unique_ptr<QProcess> m_windowManager;
    WindowManagerDescription m_windowManagerDescription;
    QTemporaryDir m_home; // window managers write settings of their own there
    QString m_waylandSocket;
    QByteArray m_display;
    std::unique_ptr<X11Connection> m_x11;
    QString m_error;
};

// An Xvfb for the test's own application to run on (the xcb platform), started before the
// QApplication exists and so without Qt's processes: sets DISPLAY and QT_QPA_PLATFORM.
class XvfbForApplication
{
public:
    XvfbForApplication();
    ~XvfbForApplication();

    // Empty when the server did not start.
    QByteArray display() const { return m_display; }

private:
    pid_t m_pid = -1;
    QByteArray m_display;
};

// The test client program on a display: opens windows with chosen WM_CLASS bytes.
class X11TestClient
{
public:
    // launcher: a command that runs the client, such as one that runs it as another user.
    explicit X11TestClient(const QProcessEnvironment &environment,
                           const QStringList &launcher = {});
    ~X11TestClient();

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // wmClass: the raw bytes of WM_CLASS ("instance\0class\0"); null for none. options: as in the
    // client's "open" command. Returns the window, or 0.
    xcb_window_t open(const QByteArray &wmClass, const QString &options = QString());
    bool destroy(xcb_window_t window);
    // Waits for the client to report that window was closed by WM_DELETE_WINDOW.
    bool waitForDeleted(xcb_window_t window, int timeoutMs = 10000);

    static QByteArray wmClass(const QByteArray &instance, const QByteArray &className);

private:
    QString waitForLine(const QString &prefix, int timeoutMs = 10000);

    QProcess m_process;
    QStringList m_lines;
};

#endif
