// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_QTSINGLEAPPLICATION_H
#define KIVO_QTSINGLEAPPLICATION_H

#include <QApplication>
#include <QPointer>

class SingleInstancePeer;

// An application that knows whether another instance of the same program runs for the same
// user, can send that instance a message, and brings its activation window to the front on a
// message. The first instance to start listens; later ones ask isRunning() and send.
class QtSingleApplication : public QApplication
{
    Q_OBJECT

public:
    // A QApplication always has a GUI; GUIenabled is kept for source compatibility.
    QtSingleApplication(int &argc, char **argv, bool GUIenabled = true);
    ~QtSingleApplication() override;

    // The program's file path and the user: what makes two processes the same application.
    QString id() const;
    // True when another instance of this application runs. An instance that finds none (or
    // only the leftovers of one that was killed) becomes the running instance itself.
    bool isRunning();
    // Why this instance cannot tell whether another runs; empty when it can. An instance with
    // such an error must not go on as if it were the only one.
    QString lockError() const;

    void setActivationWindow(QWidget *aw, bool activateOnMessage = true);
    QWidget *activationWindow() const;

public Q_SLOTS:
    // True when the running instance has received the whole message within timeout ms.
    bool sendMessage(const QString &message, int timeout = 5000);
    // Restores the activation window from the minimised state, raises it and gives it focus.
    void activateWindow();

Q_SIGNALS:
    void messageReceived(const QString &message);

private:
    SingleInstancePeer *m_peer;
    QPointer<QWidget> m_activationWindow;
};

#endif
