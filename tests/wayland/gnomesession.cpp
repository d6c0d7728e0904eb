// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "tests/wayland/gnomesession.h"

#include "tests/common/testenvironment.h"
#include "tests/x11/x11session.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

namespace {

constexpr int startTimeoutMs = 60000;
const QString extensionUuid = QStringLiteral("kivo-winprops@kivo.org");
const QString readbackUuid = QStringLiteral("gnome-readback@kivo.org");
const QString readbackService = QStringLiteral("org.kivo.TestReadback");
const QString waylandDisplay = QStringLiteral("wayland-kivo-gnome");

QString readback(const QString &method)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        readbackService, QStringLiteral("/Windows"), readbackService, method);
    const QDBusReply<QString> reply = QDBusConnection::sessionBus().call(call);
    return reply.isValid() ? reply.value() : QString();
}

bool copyFolder(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    for (const QString &file : QDir(from).entryList(QDir::Files)) {
        QFile::remove(to + QLatin1Char('/') + file);
        if (!QFile::copy(from + QLatin1Char('/') + file, to + QLatin1Char('/') + file))
            return false;
    }
    return true;
}

// Where GNOME Shell looks for a user's extensions, and all put there, enabled from the start in a
// settings file of the test's own (no dconf on a private bus).
bool installExtensions(const QStringList &folders)
{
    const QString extensions = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/gnome-shell/extensions/");
    QStringList uuids;
    for (const QString &folder : folders) {
        uuids.append(QStringLiteral("'%1'").arg(QFileInfo(folder).fileName()));
        if (!copyFolder(folder, extensions + QFileInfo(folder).fileName()))
            return false;
    }
    const QString settings = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/glib-2.0/settings");
    QFile keyfile(settings + QStringLiteral("/keyfile"));
    if (!QDir().mkpath(settings) || !keyfile.open(QIODevice::WriteOnly))
        return false;
    keyfile.write(QStringLiteral("[org/gnome/shell]\nenabled-extensions=[%1]\n")
                      .arg(uuids.join(QStringLiteral(", ")))
                      .toUtf8());
    return true;
}

} // namespace

GnomeSession::~GnomeSession()
{
    stop();
    m_systemBus.kill();
    m_systemBus.waitForFinished();
}

bool GnomeSession::start()
{
    const QString source = QStringLiteral(KIVO_SOURCE_DIR);
    if (!installExtensions(QStringList { source + QStringLiteral("/daemon/gnome/") + extensionUuid,
                                         source + QStringLiteral("/tests/wayland/") + readbackUuid }
                           + m_extraExtensions)) {
        m_error = QStringLiteral("Cannot install the extensions for GNOME Shell.");
        return false;
    }
    if (m_systemBus.state() == QProcess::NotRunning) {
        m_systemBus.start(QStringLiteral("dbus-daemon"),
                          { QStringLiteral("--config-file=") + QStringLiteral(KIVO_TEST_BUS_CONFIG),
                            QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        if (!m_systemBus.waitForReadyRead(10000)) {
            m_error = QStringLiteral("No private system bus for GNOME Shell.");
            return false;
        }
    }
    if (m_systemBusAddress.isEmpty())
        m_systemBusAddress = QString::fromUtf8(m_systemBus.readLine().trimmed());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_systemBusAddress);
    environment.insert(QStringLiteral("HOME"), TestEnvironment::root());
    environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_shell.setProcessEnvironment(environment);
    m_shell.setProcessChannelMode(QProcess::MergedChannels);
    m_shell.start(QStringLiteral("gnome-shell"),
                  { QStringLiteral("--headless"), QStringLiteral("--wayland"),
                    QStringLiteral("--virtual-monitor"), QStringLiteral("1280x1024"),
                    QStringLiteral("--wayland-display=") + waylandDisplay });
    if (!m_shell.waitForStarted()) {
        m_error = QStringLiteral("GNOME Shell did not start (scripts/deps installs it): ")
            + m_shell.errorString();
        return false;
    }
    // Up, with its extensions enabled, once the test's own answers.
    X11Session::waitFor(
        [&] {
            m_log += m_shell.readAll();
            return m_shell.state() != QProcess::Running
                || QDBusConnection::sessionBus().interface()->isServiceRegistered(readbackService);
        },
        startTimeoutMs);
    const bool up = m_shell.state() == QProcess::Running
        && QDBusConnection::sessionBus().interface()->isServiceRegistered(readbackService);
    if (!up)
        m_error = QStringLiteral("GNOME Shell did not start:\n") + QString::fromUtf8(m_log);
    return up;
}

void GnomeSession::stop()
{
    if (m_shell.state() != QProcess::NotRunning) {
        m_shell.terminate();
        if (!m_shell.waitForFinished(10000)) {
            m_shell.kill();
            m_shell.waitForFinished();
        }
    }
}

QProcessEnvironment GnomeSession::environment()
{
    const QJsonObject x11
        = QJsonDocument::fromJson(readback(QStringLiteral("Display")).toUtf8()).object();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);
    environment.insert(QStringLiteral("DISPLAY"), x11.value(QLatin1String("display")).toString());
    environment.insert(QStringLiteral("XAUTHORITY"),
                       x11.value(QLatin1String("xauthority")).toString());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    return environment;
}

QList<QJsonObject> GnomeSession::windows()
{
    QList<QJsonObject> found;
    for (const QJsonValue &window :
         QJsonDocument::fromJson(readback(QStringLiteral("Windows")).toUtf8()).array())
        found.append(window.toObject());
    return found;
}

QJsonObject GnomeSession::window(const QString &name)
{
    for (const QJsonObject &window : windows()) {
        if (window.value(QLatin1String("instance")).toString() == name
            || window.value(QLatin1String("wmClass")).toString() == name)
            return window;
    }
    return {};
}

bool GnomeSession::setExtensionEnabled(bool enabled)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.gnome.Shell.Extensions"),
        enabled ? QStringLiteral("EnableExtension") : QStringLiteral("DisableExtension"));
    QDBusMessage withUuid = call;
    withUuid.setArguments({ extensionUuid });
    const QDBusReply<bool> reply = QDBusConnection::sessionBus().call(withUuid);
    return reply.isValid() && reply.value();
}

QByteArray GnomeSession::log()
{
    m_log += m_shell.readAll();
    return m_log;
}
