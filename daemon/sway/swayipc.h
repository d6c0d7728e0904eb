// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_SWAYIPC_H
#define KIVO_SWAYIPC_H

#include <QByteArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QObject>
#include <QQueue>

#include <functional>

// A connection to sway's IPC socket (the i3 protocol: "i3-ipc", payload length and message type
// in the host's byte order, then JSON). Replies come back in the order of the requests; events
// carry the high bit in their type.
class SwayIpc : public QObject
{
    Q_OBJECT

public:
    enum Type : quint32 {
        RunCommand = 0,
        GetWorkspaces = 1,
        Subscribe = 2,
        GetTree = 4,
        GetConfig = 9,
        WorkspaceEvent = 0x80000000,
        WindowEvent = 0x80000003,
    };
    using ReplyHandler = std::function<void(const QJsonDocument &reply)>;

    explicit SwayIpc(const QString &socketPath, QObject *parent = nullptr);
    ~SwayIpc() override;

    // Whether a sway answers on socketPath now: a short blocking check for the start.
    static bool answers(const QString &socketPath);

    QString socketPath() const { return m_socketPath; }
    void setSocketPath(const QString &path) { m_socketPath = path; }
    void connectToSway();
    bool isConnected() const { return m_socket.state() == QLocalSocket::ConnectedState; }
    void send(Type type, const QByteArray &payload, const ReplyHandler &onReply = {});

Q_SIGNALS:
    void connected();
    void disconnected();
    void event(quint32 type, const QJsonDocument &payload);

private:
    void readMessages();

    QString m_socketPath;
    QLocalSocket m_socket;
    QByteArray m_buffer;
    QQueue<ReplyHandler> m_pending;
};

#endif
