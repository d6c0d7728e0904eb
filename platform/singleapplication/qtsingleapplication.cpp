// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/singleapplication/qtsingleapplication.h"

#include "platform/singleapplication/singleinstancepeer.h"

#include <QWidget>

QtSingleApplication::QtSingleApplication(int &argc, char **argv, bool GUIenabled)
    : QApplication(argc, argv)
    , m_peer(new SingleInstancePeer(SingleInstancePeer::defaultId(applicationFilePath()), this))
{
    Q_UNUSED(GUIenabled)
    connect(m_peer, &SingleInstancePeer::messageReceived, this,
            &QtSingleApplication::messageReceived);
}

QtSingleApplication::~QtSingleApplication()
{
    // Close the socket while the event dispatcher still exists.
    delete m_peer;
}

QString QtSingleApplication::id() const
{
    return m_peer->id();
}

bool QtSingleApplication::isRunning()
{
    return m_peer->isClient();
}

QString QtSingleApplication::lockError() const
{
    return m_peer->error();
}

bool QtSingleApplication::sendMessage(const QString &message, int timeout)
{
    return m_peer->sendMessage(message, timeout);
}

void QtSingleApplication::setActivationWindow(QWidget *aw, bool activateOnMessage)
{
    m_activationWindow = aw;
    disconnect(m_peer, &SingleInstancePeer::messageReceived, this,
               &QtSingleApplication::activateWindow);
    if (activateOnMessage)
        connect(m_peer, &SingleInstancePeer::messageReceived, this,
                &QtSingleApplication::activateWindow);
}

QWidget *QtSingleApplication::activationWindow() const
{
    return m_activationWindow;
}

void QtSingleApplication::activateWindow()
{
    if (!m_activationWindow)
        return;
    m_activationWindow->setWindowState(m_activationWindow->windowState() & ~Qt::WindowMinimized);
    m_activationWindow->raise();
    m_activationWindow->activateWindow();
}
