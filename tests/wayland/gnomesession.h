// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_GNOMESESSION_H
#define KIVO_GNOMESESSION_H

#include <QJsonObject>
#include <QProcess>

// A headless GNOME Shell on the test's bus, with a private system bus of its own (it dies at
// start without one), our extension installed from the source tree and enabled, and a small
// extension of the test's own that tells what mutter holds of every window: the extension under
// test is never asked.
class GnomeSession
{
public:
    ~GnomeSession();

    // An extension folder of the caller's, installed and enabled beside ours at the next start.
    void addExtension(const QString &folder) { m_extraExtensions.append(folder); }
    bool start();
    // As at logout; its segmentation fault on SIGTERM in this mode is no failure of ours.
    void stop();
    QString error() const { return m_error; }
    // For a program in the session: WAYLAND_DISPLAY, and DISPLAY and XAUTHORITY of Xwayland.
    QProcessEnvironment environment();
    // Every window: wmClass, instance, above, sticky, minimized, maximized, the frame (x and y
    // from the work area's corner, width, height), opacity (0 to 255), x11.
    QList<QJsonObject> windows();
    // The window with that WM_CLASS instance, or that app id.
    QJsonObject window(const QString &name);
    bool setExtensionEnabled(bool enabled);
    QByteArray log();

private:
    QProcess m_shell;
    QProcess m_systemBus;
    QString m_systemBusAddress;
    QByteArray m_log;
    QString m_error;
    QStringList m_extraExtensions;
};

#endif
