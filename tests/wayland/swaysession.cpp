// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "tests/wayland/swaysession.h"

#include "tests/x11/x11session.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <functional>
#include <unistd.h>

namespace {

constexpr int startTimeoutMs = 30000;

QJsonObject findIn(const QJsonObject &node, const std::function<bool(const QJsonObject &)> &matches)
{
    if (matches(node))
        return node;
    for (const char *children : { "nodes", "floating_nodes" }) {
        for (const QJsonValue &child : node.value(QLatin1String(children)).toArray()) {
            const QJsonObject found = findIn(child.toObject(), matches);
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}

} // namespace

SwaySession::SwaySession()
{
    m_folder.setAutoRemove(true);
}

SwaySession::~SwaySession()
{
    kill();
}

QString SwaySession::socketPath() const
{
    return m_folder.filePath(QStringLiteral("run/") + m_socketName);
}

bool SwaySession::start(const QString &socketName)
{
    m_socketName = socketName;
    if (!compositorLauncher(m_launcher, m_error))
        return false;
    const QString runtime = m_folder.filePath(QStringLiteral("run"));
    const QString displayFile = runtime + QStringLiteral("/display");
    QFile::remove(displayFile);
    if (!makeCompositorRuntime(m_folder.path(), runtime, m_launcher, m_error))
        return false;
    QFile config(m_folder.filePath(QStringLiteral("config")));
    config.open(QIODevice::WriteOnly);
    // Two outputs side by side, the second smaller; new windows go to the first unless told.
    config.write(QStringLiteral("xwayland force\n"
                                "output HEADLESS-1 mode 1280x720 position 0 0\n"
                                "output HEADLESS-2 mode 800x600 position 1280 0\n"
                                "exec echo $DISPLAY > %1\n")
                     .arg(displayFile)
                     .toUtf8());
    config.close();
    config.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), runtime);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("SWAYSOCK"), socketPath());
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    environment.insert(QStringLiteral("WLR_HEADLESS_OUTPUTS"), QStringLiteral("2"));
    m_sway.setProcessEnvironment(environment);
    // Its log only matters when it does not start.
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    m_sway.setStandardOutputFile(m_folder.filePath(QStringLiteral("sway.log")));
    const QStringList command = m_launcher
        + QStringList { QStringLiteral("sway"), QStringLiteral("-c"), config.fileName() };
    m_sway.start(command.first(), command.mid(1));
    const bool up = X11Session::waitFor(
        [&] {
            QFile display(displayFile);
            return m_sway.state() == QProcess::Running && display.open(QIODevice::ReadOnly)
                && display.readAll().startsWith(':');
        },
        startTimeoutMs);
    if (!up) {
        QFile log(m_folder.filePath(QStringLiteral("sway.log")));
        log.open(QIODevice::ReadOnly);
        m_error = QStringLiteral("sway did not start:\n") + QString::fromUtf8(log.readAll());
    }
    return up;
}

void SwaySession::kill()
{
    if (m_sway.state() == QProcess::NotRunning)
        return;
    m_sway.terminate();
    if (!m_sway.waitForFinished(5000)) {
        m_sway.kill();
        m_sway.waitForFinished();
    }
}

QProcessEnvironment SwaySession::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QFile display(m_folder.filePath(QStringLiteral("run/display")));
    display.open(QIODevice::ReadOnly);
    environment.insert(QStringLiteral("DISPLAY"), QString::fromUtf8(display.readAll().trimmed()));
    environment.insert(QStringLiteral("SWAYSOCK"), socketPath());
    const QDir runtime(m_folder.filePath(QStringLiteral("run")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    const QStringList sockets = runtime.entryList({ QStringLiteral("wayland-*") }, QDir::System)
                                    .filter(QRegularExpression(QStringLiteral("^wayland-\\d+$")));
    if (!sockets.isEmpty())
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), runtime.filePath(sockets.first()));
    return environment;
}

bool SwaySession::command(const QString &command) const
{
    QProcess swaymsg;
    swaymsg.start(QStringLiteral("swaymsg"), { QStringLiteral("-s"), socketPath(), command });
    return swaymsg.waitForFinished() && swaymsg.exitCode() == 0;
}

QJsonObject SwaySession::findWindow(const std::function<bool(const QJsonObject &)> &matches) const
{
    QProcess swaymsg;
    swaymsg.start(QStringLiteral("swaymsg"),
                  { QStringLiteral("-s"), socketPath(), QStringLiteral("-r"), QStringLiteral("-t"),
                    QStringLiteral("get_tree") });
    if (!swaymsg.waitForFinished())
        return {};
    return findIn(QJsonDocument::fromJson(swaymsg.readAllStandardOutput()).object(), matches);
}

QJsonObject SwaySession::x11Window(quint32 window) const
{
    return findWindow([window](const QJsonObject &node) {
        return node.value(QLatin1String("window")).toVariant().toUInt() == window && window != 0;
    });
}

QJsonObject SwaySession::waylandWindow(const QString &appId) const
{
    return findWindow([appId](const QJsonObject &node) {
        return node.value(QLatin1String("app_id")).toString() == appId;
    });
}
