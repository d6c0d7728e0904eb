// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_SIGNALQUITTER_H
#define KIVO_SIGNALQUITTER_H

#include <QObject>
#include <QSocketNotifier>

// Ends the event loop with status 0 on SIGTERM and SIGINT, and when the bus connection ends,
// saying why. The handler only writes to a pipe; the quitting happens in the event loop.
class SignalQuitter : public QObject
{
    Q_OBJECT

public:
    explicit SignalQuitter(QObject *parent = nullptr);
    ~SignalQuitter() override;

    bool isValid() const { return m_notifier != nullptr; }

public Q_SLOTS:
    // For QDBusConnection::connect, which takes a slot by its name.
    void busDisconnected();

private:
    void signalArrived();

    QSocketNotifier *m_notifier = nullptr;
};

#endif
