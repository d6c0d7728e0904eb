// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_SINGLEINSTANCEPEER_H
#define KIVO_SINGLEINSTANCEPEER_H

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One side of the single-instance hand-over for an identifier: the first peer to take the lock
// file listens on a local socket; later peers find the lock taken and send their messages there.
// Lock and socket live in the user's runtime folder, under a hash of the identifier.
class SingleInstancePeer : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstancePeer(const QString &id, QObject *parent = nullptr);
    ~SingleInstancePeer() override;

    QString id() const { return m_id; }
    // True while another peer of the same identifier holds the lock. A peer that finds the lock
    // free (or left behind by a dead process) takes it and starts listening. False too when the
    // lock cannot be used at all: see error().
    bool isClient();
    // Why this peer cannot tell whether another one runs (no private folder, a lock that cannot
    // be written); empty when it can. A peer with an error must not act as the only one.
    QString error() const { return m_error; }
    // Waits until the peers that began to wait for their turn before this one have had it, and
    // keeps the turn until this peer ends: peers that take turns run one after the other, in the
    // order they asked. Gives up when one peer ahead keeps the queue for timeoutMs.
    bool waitForTurn(int timeoutMs);
    // Sends a message to the peer that holds the lock; true once that peer has confirmed it.
    bool sendMessage(const QString &message, int timeoutMs);

    // Identifier of a program for the current user.
    static QString defaultId(const QString &applicationFilePath);
    // Private folder of the current user for locks and sockets; empty when there is none.
    static QString runtimeFolder();
    static QString socketPath(const QString &id);
    static QString lockFilePath(const QString &id);
    static QString turnFilePath(const QString &id);
    // Folder of the tickets of the peers waiting for their turn.
    static QString queueFolderPath(const QString &id);

    // Largest message accepted, in bytes of UTF-8.
    static constexpr quint32 MaxMessageSize = 16 * 1024 * 1024;
    // Byte sent back once a whole message has arrived.
    static constexpr char Acknowledgement = '\x06';

Q_SIGNALS:
    void messageReceived(const QString &message);

private:
    static QString noFolderError();
    static std::unique_ptr<QLockFile> newLock(const QString &path);
    bool claim();
    std::unique_ptr<QLockFile> takeTicket(QString &name) const;
    QString firstTicketAhead(const QString &mine) const;
    void acceptConnections();

    QString m_id;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLockFile> m_turn;
    QString m_error;
    QLocalServer *m_server = nullptr;
};

#endif
