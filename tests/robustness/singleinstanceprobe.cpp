// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// Plays another user's process against the tool's single-instance lock and socket, for the
// robustness tests (run through setpriv as another user).
//   singleinstanceprobe send SOCKET   connect and send "raise"; prints "sent" or "failed: why"
//   singleinstanceprobe lock LOCK     try to take the lock; prints "locked" or "failed: why"
//   singleinstanceprobe hold PATH     make PATH's folder open to everybody, take PATH.lock and
//                                     listen on PATH; prints "ready", then "received" for every
//                                     connection
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QtEndian>

#include <cstdio>

namespace {
void say(const QString &line)
{
    std::puts(qPrintable(line));
    std::fflush(stdout);
}

int send(const QString &path)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(5000)) {
        say(QStringLiteral("failed: ") + socket.errorString());
        return 0;
    }
    QByteArray packet(4, Qt::Uninitialized);
    qToBigEndian<quint32>(5, packet.data());
    socket.write(packet + "raise");
    say(socket.waitForBytesWritten(5000) ? QStringLiteral("sent")
                                         : QStringLiteral("failed: ") + socket.errorString());
    return 0;
}

int lock(const QString &path)
{
    QLockFile file(path);
    file.setStaleLockTime(0);
    if (file.tryLock(0)) {
        say(QStringLiteral("locked"));
        return 0;
    }
    say(QStringLiteral("failed: error %1").arg(int(file.error())));
    return 0;
}

int hold(QCoreApplication &app, const QString &path)
{
    const QString folder = QFileInfo(path).path();
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
    QLockFile file(path + QStringLiteral(".lock"));
    QLocalServer server;
    server.setSocketOptions(QLocalServer::WorldAccessOption);
    if (!file.tryLock(0) || !server.listen(path)) {
        say(QStringLiteral("failed: ") + server.errorString());
        return 1;
    }
    QObject::connect(&server, &QLocalServer::newConnection, &server, [&server] {
        while (server.nextPendingConnection())
            say(QStringLiteral("received"));
    });
    say(QStringLiteral("ready"));
    return app.exec();
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    const QString path = args.value(1);
    if (command == QLatin1String("send"))
        return send(path);
    if (command == QLatin1String("lock"))
        return lock(path);
    if (command == QLatin1String("hold"))
        return hold(app, path);
    say(QStringLiteral("usage: send SOCKET | lock LOCK | hold PATH"));
    return 64;
}
