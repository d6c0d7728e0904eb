// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/robustness/hostilerun.h"

#include "tests/common/testenvironment.h"
#include "tests/robustness/hostilerecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {
constexpr int StartTimeoutMs = 10000;

QString newFolder(const QString &stem)
{
    static int count = 0;
    const QString path = TestEnvironment::root() + QLatin1Char('/') + stem + QLatin1Char('-')
        + QString::number(++count);
    QDir().mkpath(path);
    QFile::setPermissions(path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

void endProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(StartTimeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
}
} // namespace

QString nextLine(QProcess &process, int timeoutMs)
{
    const bool ready = QTest::qWaitFor(
        [&] { return process.canReadLine() || process.state() == QProcess::NotRunning; },
        timeoutMs);
    if (!ready || !process.canReadLine())
        return {};
    return QString::fromUtf8(process.readLine()).chopped(1);
}

PrivateBus::~PrivateBus()
{
    endProcess(m_daemon);
}

bool PrivateBus::start()
{
    // Its complaint that it cannot raise its file limit comes with every start.
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   { QStringLiteral("--config-file=") + QStringLiteral(KIVO_TEST_BUS_CONFIG),
                     QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    m_address = nextLine(m_daemon, StartTimeoutMs);
    return !m_address.isEmpty();
}

void PrivateBus::kill()
{
    m_daemon.kill();
    m_daemon.waitForFinished();
}

HostileService::HostileService(const QString &mode, const QString &recordFolder)
    : m_mode(mode)
    , m_folder(recordFolder)
{
    QDir().mkpath(m_folder);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

HostileService::~HostileService()
{
    endProcess(m_process);
}

bool HostileService::start(const QProcessEnvironment &environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.start(QStringLiteral(KIVO_HOSTILE_WINPROPSD),
                    { QStringLiteral("--mode"), m_mode, QStringLiteral("--record"), m_folder });
    return nextLine(m_process, StartTimeoutMs) == QLatin1String("ready");
}

QStringList HostileService::calls() const
{
    QStringList members;
    for (const QString &call : callsWithSignatures())
        members.append(call.section(QLatin1Char(' '), 0, 0));
    return members;
}

QStringList HostileService::callsWithSignatures() const
{
    QFile log(m_folder + QLatin1Char('/') + Hostile::callLogName());
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QList<QStringList> HostileService::stores() const
{
    QList<QStringList> result;
    for (int number = 1;; ++number) {
        const QString path = m_folder + QLatin1Char('/') + Hostile::storeFileName(number);
        if (!QFileInfo::exists(path))
            return result;
        result.append(Hostile::readStore(path));
    }
}

HostileRun::HostileRun(const QString &mode, const QStringList &toolArguments)
    : m_folder(newFolder(QStringLiteral("run")))
    , m_arguments(toolArguments)
    , m_service(std::make_unique<HostileService>(mode, m_folder + QStringLiteral("/record")))
{
}

bool HostileRun::start()
{
    if (!m_bus.start())
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
    if (!m_service->start(environment))
        return false;
    const QString runtime = newFolder(QStringLiteral("runtime"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("LANGUAGE"));
    m_tool.setProcessEnvironment(environment);
    m_clock.start();
    m_tool.start(QStringLiteral(KIVO_ADMIN_WINPROPS), m_arguments);
    return m_tool.waitForStarted();
}

bool HostileRun::finish(int timeoutMs)
{
    const bool ended = QTest::qWaitFor([this] { return m_tool.state() == QProcess::NotRunning; },
                                       int(qMax<qint64>(0, timeoutMs - m_clock.elapsed())));
    m_elapsedMs = m_clock.elapsed();
    if (!ended) {
        m_tool.kill();
        m_tool.waitForFinished();
        return false;
    }
    m_crashed = m_tool.exitStatus() != QProcess::NormalExit;
    m_exitCode = m_tool.exitCode();
    m_standardError = QString::fromUtf8(m_tool.readAllStandardError());
    return true;
}
