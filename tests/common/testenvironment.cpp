// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/common/testenvironment.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
const char rootVariable[] = "KIVO_TEST_ROOT";

void makePrivateDir(const QByteArray &path)
{
    mkdir(path.constData(), 0700);
}

void setFolder(const char *variable, const QByteArray &root, const char *name)
{
    const QByteArray path = root + '/' + name;
    makePrivateDir(path);
    qputenv(variable, path);
}

// Qt 6's offscreen screen is 800 × 800 unless configured; the tests expect the 800 × 600 of Qt 5,
// whose offscreen platform ignores the option.
QByteArray offscreenPlatform()
{
    const QByteArray path = qgetenv(rootVariable) + "/offscreen.json";
    QFile config(QString::fromLocal8Bit(path));
    if (!config.exists() && config.open(QIODevice::WriteOnly))
        config.write(R"({"screens": [{"name": "offscreen", "width": 800, "height": 600}]})");
    return "offscreen:configfile=" + path;
}

void usePlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", offscreenPlatform());
}

QByteArray makeFolders()
{
    char pattern[] = "/tmp/kivo-test-XXXXXX";
    const char *made = mkdtemp(pattern);
    if (!made) {
        perror("mkdtemp");
        std::exit(127);
    }
    const QByteArray root(made);
    qputenv(rootVariable, root);
    setFolder("XDG_CONFIG_HOME", root, "config");
    setFolder("XDG_DATA_HOME", root, "data");
    setFolder("XDG_CACHE_HOME", root, "cache");
    setFolder("XDG_RUNTIME_DIR", root, "runtime");
    return root;
}
} // namespace

void TestEnvironment::enterWithoutBus()
{
    const QByteArray root = makeFolders();
    // Nothing listens there, so that a test that reaches for a bus fails at once.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + root + "/no-bus");
    usePlatform();
}

void TestEnvironment::enter(int argc, char **argv)
{
    if (!qEnvironmentVariableIsEmpty(rootVariable)) {
        usePlatform();
        return;
    }
    makeFolders();
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");

    const QByteArray config = QByteArrayLiteral("--config-file=") + KIVO_TEST_BUS_CONFIG;
    std::vector<char *> arguments
        = { const_cast<char *>("dbus-run-session"), const_cast<char *>(config.constData()),
            const_cast<char *>("--") };
    for (int i = 0; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    execvp(arguments.front(), arguments.data());
    perror("dbus-run-session");
    std::exit(127);
}

QString TestEnvironment::root()
{
    return qEnvironmentVariable(rootVariable);
}

void TestEnvironment::leave()
{
    const QString path = root();
    if (path.startsWith(QLatin1String("/tmp/kivo-test-")))
        QDir(path).removeRecursively();
}

int TestEnvironment::scaledMs(int ms)
{
    return ms * qMax(1, qEnvironmentVariableIntValue("KIVO_TEST_TIME_SCALE"));
}

qint64 TestEnvironment::residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}
