// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/common/serviceprocess.h"

#include "platform/winprops/winpropsservice.h"
#include "tests/common/testenvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QFile>
#include <QTest>
#include <QUuid>

ServiceProcess::ServiceProcess(const QString &storagePath)
    : m_storagePath(storagePath)
{
    if (m_storagePath.isEmpty())
        m_storagePath = TestEnvironment::root() + QStringLiteral("/winprops-")
            + QUuid::createUuid().toString(QUuid::Id128);
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
}

ServiceProcess::~ServiceProcess()
{
    stop();
}

void ServiceProcess::writeStorage(const QStringList &lines)
{
    QFile file(m_storagePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(m_storagePath));
    for (const QString &line : lines)
        file.write(line.toUtf8() + '\n');
}

QStringList ServiceProcess::readStorage() const
{
    QFile file(m_storagePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool ServiceProcess::start(const QStringList &extraArguments)
{
    m_process.start(program(),
                    QStringList { QStringLiteral("--storage"), m_storagePath } + extraArguments);
    if (!m_process.waitForStarted())
        return false;
    return waitForService(true);
}

bool ServiceProcess::startWith(const QStringList &storageLines)
{
    writeStorage(storageLines);
    return start();
}

bool ServiceProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished();
        return false;
    }
    const bool clean = m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    waitForService(false);
    return clean;
}

QString ServiceProcess::program()
{
    return QStringLiteral(KIVO_WINPROPSD);
}

bool ServiceProcess::isServiceOnBus()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(
        WinPropsService::busName());
}

bool ServiceProcess::waitForService(bool present, int timeoutMs)
{
    return QTest::qWaitFor([present] { return isServiceOnBus() == present; },
                           TestEnvironment::scaledMs(timeoutMs));
}

bool succeeded(QDBusPendingCall call)
{
    call.waitForFinished();
    if (call.isError())
        qWarning() << call.error().name() << call.error().message();
    return !call.isError();
}
