// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/sway/swayipc.h"

#include <cstring>

namespace {

const QByteArray magic = QByteArrayLiteral("i3-ipc");
constexpr int headerLength = 14;
// A tree of thousands of windows stays far below this; more means the stream is not sway's.
constexpr quint32 maxPayload = 64u * 1024 * 1024;
constexpr int answerTimeoutMs = 1000;

quint32 readWord(const char *data)
{
    quint32 word;
    std::memcpy(&word, data, sizeof word);
    return word;
}

void appendWord(QByteArray &bytes, quint32 word)
{
    bytes.append(reinterpret_cast<const char *>(&word), sizeof word);
}

} // namespace

SwayIpc::SwayIpc(const QString &socketPath, QObject *parent)
    : QObject(parent)
    , m_socketPath(socketPath)
{
    connect(&m_socket, &QLocalSocket::connected, this, &SwayIpc::connected);
    connect(&m_socket, &QLocalSocket::readyRead, this, &SwayIpc::readMessages);
    connect(&m_socket, &QLocalSocket::disconnected, this, [this] {
        m_buffer.clear();
        m_pending.clear();
        Q_EMIT disconnected();
    });
    connect(&m_socket, &QLocalSocket::errorOccurred, this, [this] {
        if (m_socket.state() == QLocalSocket::UnconnectedState)
            Q_EMIT disconnected();
    });
}

SwayIpc::~SwayIpc()
{
    // The socket closing as it goes must not reach members that are gone already.
    m_socket.disconnect(this);
}

bool SwayIpc::answers(const QString &socketPath)
{
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    return probe.waitForConnected(answerTimeoutMs);
}

void SwayIpc::connectToSway()
{
    m_socket.abort();
    m_socket.connectToServer(m_socketPath);
}

void SwayIpc::send(Type type, const QByteArray &payload, const ReplyHandler &onReply)
{
    if (!isConnected())
        return;
    QByteArray message = magic;
    appendWord(message, static_cast<quint32>(payload.size()));
    appendWord(message, type);
    message += payload;
    m_pending.enqueue(onReply);
    m_socket.write(message);
}

void SwayIpc::readMessages()
{
    m_buffer += m_socket.readAll();
    while (m_buffer.size() >= headerLength) {
        const quint32 length = readWord(m_buffer.constData() + magic.size());
        if (!m_buffer.startsWith(magic) || length > maxPayload) {
            m_socket.abort();
            return;
        }
        if (m_buffer.size() < headerLength + int(length))
            return;
        const quint32 type = readWord(m_buffer.constData() + magic.size() + 4);
        const QJsonDocument payload
            = QJsonDocument::fromJson(m_buffer.mid(headerLength, int(length)));
        m_buffer.remove(0, headerLength + int(length));
        if (type & 0x80000000u) {
            Q_EMIT event(type, payload);
        } else if (!m_pending.isEmpty()) {
            const ReplyHandler handler = m_pending.dequeue();
            if (handler)
                handler(payload);
        }
    }
}
