// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "tests/wayland/kwinsession.h"

#include "tests/common/testenvironment.h"
#include "tests/wayland/swaysession.h"
#include "tests/x11/x11session.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int startTimeoutMs = 60000;
const QString kwinService = QStringLiteral("org.kde.KWin");

const char readBack[] = R"(var windows = workspace.clientList();
var found = [];
for (var i = 0; i < windows.length; ++i) {
    var w = windows[i];
    var frame = w.frameGeometry;
    found.push({ resourceName: String(w.resourceName), resourceClass: String(w.resourceClass),
                 noBorder: w.noBorder, keepAbove: w.keepAbove, keepBelow: w.keepBelow,
                 skipTaskbar: w.skipTaskbar, skipPager: w.skipPager,
                 onAllDesktops: w.onAllDesktops, opacity: w.opacity, minimized: w.minimized,
                 wantsInput: w.wantsInput, closeable: w.closeable, x: frame.x, y: frame.y,
                 width: frame.width, height: frame.height });
}
print("kivo-windows %1 " + JSON.stringify(found));
)";

QDBusMessage scripting(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message
        = QDBusMessage::createMethodCall(kwinService, QStringLiteral("/Scripting"),
                                         QStringLiteral("org.kde.kwin.Scripting"), method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
}

} // namespace

void TestEnvironment::enterAsCompositorUser(int argc, char **argv)
{
    if (geteuid() == 0) {
        QStringList launcher;
        QString error;
        if (!compositorLauncher(launcher, error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            std::exit(1);
        }
        std::vector<QByteArray> words;
        for (const QString &word : launcher)
            words.push_back(word.toLocal8Bit());
        std::vector<char *> arguments;
        for (QByteArray &word : words)
            arguments.push_back(word.data());
        for (int i = 0; i < argc; ++i)
            arguments.push_back(argv[i]);
        arguments.push_back(nullptr);
        execvp(arguments.front(), arguments.data());
        std::perror("setpriv");
        std::exit(127);
    }
    enter(argc, argv);
}

KwinSession::~KwinSession()
{
    kill();
}

void KwinSession::kill()
{
    if (m_kwin.state() == QProcess::NotRunning)
        return;
    m_kwin.terminate();
    if (!m_kwin.waitForFinished(5000)) {
        m_kwin.kill();
        m_kwin.waitForFinished();
    }
}

QString KwinSession::folder() const
{
    return TestEnvironment::root();
}

QString KwinSession::rulesPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/kwinrulesrc");
}

bool KwinSession::start()
{
    // The installed binary carries a file capability that an unprivileged user may not take up;
    // a copy runs without it.
    const QString binary = folder() + QStringLiteral("/kwin_wayland");
    if (!QFile::exists(binary) && !QFile::copy(QStringLiteral("/usr/bin/kwin_wayland"), binary)) {
        m_error = QStringLiteral("kwin_wayland is not installed (scripts/deps installs it).");
        return false;
    }
    QFile::setPermissions(binary, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString displayFile = folder() + QStringLiteral("/kwin-display");
    QFile::remove(displayFile); // from a KWin before
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), folder());
    environment.insert(QStringLiteral("KWIN_COMPOSE"), QStringLiteral("Q"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_kwin.setProcessEnvironment(environment);
    m_kwin.setProcessChannelMode(QProcess::MergedChannels);
    // KWin starts the program it is given with DISPLAY set to its Xwayland.
    const QString tellDisplay = folder() + QStringLiteral("/tell-display");
    QFile::remove(tellDisplay); // read-only once written
    QFile script(tellDisplay);
    if (!script.open(QIODevice::WriteOnly)) {
        m_error = script.errorString();
        return false;
    }
    script.write(QStringLiteral("#!/bin/sh\necho \"$DISPLAY\" > '%1'\n").arg(displayFile).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    m_kwin.start(binary,
                 { QStringLiteral("--virtual"), QStringLiteral("--xwayland"),
                   QStringLiteral("--no-lockscreen"), QStringLiteral("--width"),
                   QString::number(screenSize().width()), QStringLiteral("--height"),
                   QString::number(screenSize().height()), QStringLiteral("--socket"),
                   QStringLiteral("wayland-kivo"), tellDisplay });
    if (!m_kwin.waitForStarted()) {
        m_error = QStringLiteral("KWin did not start: ") + m_kwin.errorString();
        return false;
    }
    const auto displayIsUp = [&] {
        QFile display(displayFile);
        return display.open(QIODevice::ReadOnly) && display.readAll().startsWith(':');
    };
    X11Session::waitFor(
        [&] {
            m_log += m_kwin.readAll();
            return m_kwin.state() != QProcess::Running
                || (QDBusConnection::sessionBus().interface()->isServiceRegistered(kwinService)
                    && displayIsUp());
        },
        startTimeoutMs);
    const bool up = m_kwin.state() == QProcess::Running && displayIsUp();
    if (!up)
        m_error = QStringLiteral("KWin did not start:\n") + QString::fromUtf8(m_log);
    return up;
}

QProcessEnvironment KwinSession::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QFile display(folder() + QStringLiteral("/kwin-display"));
    display.open(QIODevice::ReadOnly);
    environment.insert(QStringLiteral("DISPLAY"), QString::fromUtf8(display.readAll().trimmed()));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-kivo"));
    return environment;
}

QList<QJsonObject> KwinSession::windows()
{
    const QByteArray marker = "kivo-windows " + QByteArray::number(++m_reads) + ' ';
    const QString name = QStringLiteral("kivo-read-%1").arg(m_reads);
    const QString path = folder() + QLatin1Char('/') + name + QStringLiteral(".js");
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return {};
    script.write(QString::fromLatin1(readBack).arg(m_reads).toUtf8());
    script.close();
    scripting(QStringLiteral("loadScript"), { path, name });
    scripting(QStringLiteral("start"), {});
    QList<QJsonObject> found;
    X11Session::waitFor([&] {
        m_log += m_kwin.readAll();
        const int start = m_log.indexOf(marker);
        if (start < 0)
            return false;
        const int end = m_log.indexOf('\n', start);
        if (end < 0)
            return false;
        const QByteArray json = m_log.mid(start + marker.size(), end - start - marker.size());
        for (const QJsonValue &window : QJsonDocument::fromJson(json).array())
            found.append(window.toObject());
        return true;
    });
    scripting(QStringLiteral("unloadScript"), { name });
    return found;
}

bool KwinSession::isScriptLoaded(const QString &name)
{
    const QDBusReply<bool> loaded = scripting(QStringLiteral("isScriptLoaded"), { name });
    return loaded.isValid() && loaded.value();
}

QJsonObject KwinSession::window(const QString &name)
{
    for (const QJsonObject &window : windows()) {
        if (window.value(QLatin1String("resourceName")).toString() == name
            || window.value(QLatin1String("resourceClass")).toString() == name)
            return window;
    }
    return {};
}
