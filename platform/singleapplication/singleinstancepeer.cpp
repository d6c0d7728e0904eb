// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/singleapplication/singleinstancepeer.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <functional>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {
// Unix socket paths end at 107 bytes, and QLocalServer adds a temporary suffix while it sets the
// socket's permissions; long runtime folders are passed over for the temporary one.
constexpr int MaxFolderLength = 72;
constexpr int HeaderSize = sizeof(quint32);
// A client that has not sent its whole message by then is dropped.
constexpr int ReadTimeoutMs = 10000;
constexpr int ConnectRetryMs = 50;
// How often a peer waiting for its turn looks who holds it.
constexpr int TurnPollMs = 100;

// The user's alone, and one the user can create files in: by its mode, which also holds for
// root, whom the system would let write anyway.
bool isPrivateFolder(const QString &path)
{
    struct stat info;
    return stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == getuid() && (info.st_mode & 077) == 0 && (info.st_mode & 0300) == 0300;
}

QString tempFolderPath()
{
    return QDir::tempPath() + QStringLiteral("/kivo-single-") + QString::number(getuid());
}

QString privateTempFolder()
{
    const QString path = tempFolderPath();
    mkdir(QFile::encodeName(path).constData(), 0700);
    return isPrivateFolder(path) ? path : QString();
}

QString fileNameOf(const QString &id)
{
    const QByteArray hash = QCryptographicHash::hash(id.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("qsa-") + QString::fromLatin1(hash.toHex().left(16));
}

void ignoreMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

// Like the socket, lock files are the user's alone. QLockFile remarks on stderr about a stale
// lock it takes over, even in a start that then finds another instance and must end silently.
bool tryLockQuietly(QLockFile &lock, int timeoutMs)
{
    const mode_t oldMask = ::umask(077);
    const QtMessageHandler oldHandler = qInstallMessageHandler(ignoreMessage);
    const bool locked = lock.tryLock(timeoutMs);
    qInstallMessageHandler(oldHandler);
    ::umask(oldMask);
    return locked;
}

int remainingMs(const QDeadlineTimer &deadline)
{
    return deadline.isForever() ? -1 : int(deadline.remainingTime());
}

bool connectBefore(QLocalSocket &socket, const QString &path, const QDeadlineTimer &deadline)
{
    for (;;) {
        socket.connectToServer(path);
        if (socket.waitForConnected(remainingMs(deadline)))
            return true;
        if (deadline.hasExpired())
            return false;
        // The first instance may hold the lock but not listen yet.
        const qint64 left = deadline.isForever() ? ConnectRetryMs : deadline.remainingTime();
        QThread::msleep(ulong(qBound(qint64(0), left, qint64(ConnectRetryMs))));
    }
}

bool writeAll(QLocalSocket &socket, const QByteArray &data, const QDeadlineTimer &deadline)
{
    if (socket.write(data) != data.size())
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remainingMs(deadline)))
            return false;
    }
    return true;
}

bool readAcknowledgement(QLocalSocket &socket, const QDeadlineTimer &deadline)
{
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(remainingMs(deadline)))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == SingleInstancePeer::Acknowledgement;
}

// One incoming connection: a big-endian 32-bit length, then that many bytes of UTF-8. Read
// without ever blocking, so that a slow or broken client cannot hold up the instance.
class IncomingMessage : public QObject
{
public:
    using Handler = std::function<void(const QString &)>;

    IncomingMessage(QLocalSocket *socket, Handler handler, QObject *parent)
        : QObject(parent)
        , m_socket(socket)
        , m_handler(std::move(handler))
    {
        socket->setParent(this);
        connect(socket, &QLocalSocket::readyRead, this, &IncomingMessage::read);
        connect(socket, &QLocalSocket::disconnected, this, &QObject::deleteLater);
        QTimer::singleShot(ReadTimeoutMs, this, &IncomingMessage::drop);
        read();
    }

private:
    void read()
    {
        m_buffer += m_socket->readAll();
        if (m_expected < 0 && !readHeader())
            return;
        if (m_expected < 0 || m_buffer.size() < m_expected)
            return;
        const QString message = QString::fromUtf8(m_buffer.constData(), int(m_expected));
        disconnect(m_socket, &QLocalSocket::readyRead, this, &IncomingMessage::read);
        m_socket->putChar(SingleInstancePeer::Acknowledgement);
        m_socket->disconnectFromServer();
        m_handler(message);
    }

    bool readHeader()
    {
        if (m_buffer.size() < HeaderSize)
            return false;
        const quint32 size = qFromBigEndian<quint32>(m_buffer.constData());
        if (size > SingleInstancePeer::MaxMessageSize) {
            drop();
            return false;
        }
        m_expected = size;
        m_buffer.remove(0, HeaderSize);
        return true;
    }

    void drop()
    {
        disconnect(m_socket, nullptr, this, nullptr);
        m_socket->abort();
        deleteLater();
    }

    QLocalSocket *m_socket;
    Handler m_handler;
    QByteArray m_buffer;
    qint64 m_expected = -1;
};
} // namespace

SingleInstancePeer::SingleInstancePeer(const QString &id, QObject *parent)
    : QObject(parent)
    , m_id(id)
    , m_socketPath(socketPath(id))
{
}

SingleInstancePeer::~SingleInstancePeer()
{
    // The socket file goes before the lock, or it could take a successor's socket with it; the
    // turn goes last, so that the next in turn finds the lock free.
    if (m_server)
        m_server->close();
    m_lock.reset();
    m_turn.reset();
}

bool SingleInstancePeer::isClient()
{
    if (m_lock && m_lock->isLocked())
        return false;
    if (!m_error.isEmpty())
        return false;
    if (!m_lock) {
        if (m_socketPath.isEmpty()) {
            m_error = noFolderError();
            return false;
        }
        m_lock = newLock(lockFilePath(m_id));
    }
    if (claim())
        return false;
    if (m_lock->error() == QLockFile::LockFailedError)
        return true;
    m_error = tr("cannot take the single-instance lock %1").arg(lockFilePath(m_id));
    return false;
}

bool SingleInstancePeer::waitForTurn(int timeoutMs)
{
    if (m_turn)
        return true;
    if (m_socketPath.isEmpty()) {
        m_error = noFolderError();
        return false;
    }
    m_turn = newLock(turnFilePath(m_id));
    QString ticketName;
    const std::unique_ptr<QLockFile> ticket = takeTicket(ticketName);
    // The time counts for each peer ahead anew: a queue that moves is waited for, one that is
    // stuck is not.
    QDeadlineTimer deadline(timeoutMs);
    QString lastAhead;
    for (;;) {
        QString ahead = ticket ? firstTicketAhead(ticketName) : QString();
        if (ahead.isEmpty()) {
            if (tryLockQuietly(*m_turn, TurnPollMs))
                break;
            if (m_turn->error() != QLockFile::LockFailedError) {
                m_error = tr("cannot take the single-instance lock %1").arg(turnFilePath(m_id));
                break;
            }
            qint64 holder = 0;
            if (m_turn->getLockInfo(&holder, nullptr, nullptr))
                ahead = QString::number(holder);
        } else {
            QThread::msleep(TurnPollMs);
        }
        if (ahead != lastAhead) {
            lastAhead = ahead;
            deadline.setRemainingTime(timeoutMs);
        }
        if (deadline.hasExpired())
            break;
    }
    if (m_turn->isLocked())
        return true;
    m_turn.reset();
    return false;
}

// Peers take their turns in the order they began to wait: each holds a ticket named after that
// moment until its turn comes. Without one (a folder that cannot be written) the order is the
// lock's.
std::unique_ptr<QLockFile> SingleInstancePeer::takeTicket(QString &name) const
{
    const QString folder = queueFolderPath(m_id);
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    timespec now = {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const qint64 nanoseconds = qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    name = QStringLiteral("%1-%2").arg(nanoseconds, 20, 10, QLatin1Char('0')).arg(getpid());
    std::unique_ptr<QLockFile> ticket = newLock(folder + QLatin1Char('/') + name);
    if (!tryLockQuietly(*ticket, 0))
        return nullptr;
    return ticket;
}

// The oldest ticket of a live peer before this one; the tickets of peers that died are removed.
QString SingleInstancePeer::firstTicketAhead(const QString &mine) const
{
    const QString folder = queueFolderPath(m_id);
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (name >= mine)
            break;
        QLockFile other(folder + QLatin1Char('/') + name);
        other.setStaleLockTime(0);
        if (!tryLockQuietly(other, 0) && other.error() == QLockFile::LockFailedError)
            return name;
    }
    return QString();
}

QString SingleInstancePeer::noFolderError()
{
    return tr("no private folder for the single-instance lock: neither $XDG_RUNTIME_DIR nor %1 "
              "is a folder of this user's that only this user can write")
        .arg(tempFolderPath());
}

std::unique_ptr<QLockFile> SingleInstancePeer::newLock(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    // Never stale by age: only a lock whose process is gone is taken over.
    lock->setStaleLockTime(0);
    return lock;
}

bool SingleInstancePeer::claim()
{
    if (!tryLockQuietly(*m_lock, 0))
        return false;
    // A socket file left by a killed first instance would make listen() fail.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        qWarning("Cannot listen for other instances on %s: %s", qPrintable(m_socketPath),
                 qPrintable(m_server->errorString()));
        return true;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstancePeer::acceptConnections);
    return true;
}

void SingleInstancePeer::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        // Queued, so that receivers run from the event loop and not inside the socket's read.
        new IncomingMessage(
            socket,
            [this](const QString &message) {
                QMetaObject::invokeMethod(
                    this, [this, message] { Q_EMIT messageReceived(message); },
                    Qt::QueuedConnection);
            },
            this);
    }
}

bool SingleInstancePeer::sendMessage(const QString &message, int timeoutMs)
{
    if (!isClient())
        return false;
    const QByteArray payload = message.toUtf8();
    if (quint32(payload.size()) > MaxMessageSize)
        return false;
    QByteArray packet(HeaderSize, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(payload.size()), packet.data());
    packet += payload;

    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    return connectBefore(socket, m_socketPath, deadline) && writeAll(socket, packet, deadline)
        && readAcknowledgement(socket, deadline);
}

QString SingleInstancePeer::defaultId(const QString &applicationFilePath)
{
    return applicationFilePath + QLatin1Char('-') + QString::number(getuid());
}

QString SingleInstancePeer::runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && runtime.size() <= MaxFolderLength && isPrivateFolder(runtime))
        return runtime;
    return privateTempFolder();
}

QString SingleInstancePeer::socketPath(const QString &id)
{
    const QString folder = runtimeFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + fileNameOf(id);
}

QString SingleInstancePeer::lockFilePath(const QString &id)
{
    const QString socket = socketPath(id);
    return socket.isEmpty() ? QString() : socket + QStringLiteral(".lock");
}

QString SingleInstancePeer::queueFolderPath(const QString &id)
{
    const QString socket = socketPath(id);
    return socket.isEmpty() ? QString() : socket + QStringLiteral(".queue");
}

QString SingleInstancePeer::turnFilePath(const QString &id)
{
    const QString socket = socketPath(id);
    return socket.isEmpty() ? QString() : socket + QStringLiteral(".turn");
}
