// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_SWAYSESSION_H
#define KIVO_SWAYSESSION_H

#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

// A headless sway with Xwayland, of the test's own: its IPC socket and its runtime folder are
// in a temporary folder.
class SwaySession
{
public:
    SwaySession();
    ~SwaySession();

    // Starts sway and waits until its socket answers and its X display is up. socketName: in the
    // runtime folder; a sway started again by the user gets a new one.
    bool start(const QString &socketName = QStringLiteral("sway.sock"));
    // Ends sway as if it crashed; start() brings it back.
    void kill();

    QString error() const { return m_error; }
    QString socketPath() const;
    QStringList launcher() const { return m_launcher; }
    // The environment of a program in the session: SWAYSOCK, WAYLAND_DISPLAY and DISPLAY.
    QProcessEnvironment environment() const;
    // The tree's container of the X11 window, or of the Wayland window with the app id; empty
    // when sway has none.
    QJsonObject x11Window(quint32 window) const;
    QJsonObject waylandWindow(const QString &appId) const;
    // Runs a sway command, such as "focus output HEADLESS-2"; false when sway refused it.
    bool command(const QString &command) const;

private:
    QJsonObject findWindow(const std::function<bool(const QJsonObject &)> &matches) const;

    QTemporaryDir m_folder;
    QStringList m_launcher;
    QProcess m_sway;
    QString m_socketName = QStringLiteral("sway.sock");
    QString m_error;
};

#endif
