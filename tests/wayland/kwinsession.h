// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_KWINSESSION_H
#define KIVO_KWINSESSION_H

#include <QJsonObject>
#include <QProcess>
#include <QSize>

namespace TestEnvironment {
// As enter(), but a test run as root first becomes the compositor's user (see
// compositorLauncher): KWin fails as root, and its bus, the service and the clients then share
// one user, as in a desktop session.
void enterAsCompositorUser(int argc, char **argv);
} // namespace TestEnvironment

// A headless KWin with Xwayland on the test's bus, with the test's XDG folders: its rules file
// is the one the service writes.
class KwinSession
{
public:
    ~KwinSession();

    // Starts KWin and waits until it owns its bus name and its X display is up.
    bool start();
    // Ends KWin as if it crashed; start() brings it back on the same bus.
    void kill();
    QString error() const { return m_error; }
    // The environment of a program in the session: WAYLAND_DISPLAY and DISPLAY.
    QProcessEnvironment environment() const;
    static QString rulesPath();
    // Of its one output.
    static QSize screenSize() { return { 1280, 800 }; }
    // What KWin says of every window, read back with a script: resourceName, resourceClass,
    // noBorder, keepAbove, keepBelow, skipTaskbar, skipPager, onAllDesktops, opacity,
    // minimized, wantsInput, closeable and the frame (x, y, width, height); empty when the
    // script did not answer.
    QList<QJsonObject> windows();
    // The window with that resource name (an X11 window's WM_CLASS instance, in lower case, as
    // KWin keeps it) or resource class (a Wayland window's app id).
    QJsonObject window(const QString &name);
    bool isScriptLoaded(const QString &name);

private:
    QString folder() const;

    QProcess m_kwin;
    QByteArray m_log;
    QString m_error;
    int m_reads = 0;
};

#endif
