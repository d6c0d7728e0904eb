// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_HOSTILERUN_H
#define KIVO_HOSTILERUN_H

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <memory>

// A bus daemon of its own, so that runs of the tool against different services can go on side
// by side.
class PrivateBus
{
public:
    ~PrivateBus();
    bool start();
    // Ends it as a crash would, leaving its clients without a bus.
    void kill();
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

// The hostile service as a process, recording the calls it gets in a folder.
class HostileService
{
public:
    HostileService(const QString &mode, const QString &recordFolder);
    ~HostileService();

    // Starts it on the environment's bus and waits until it owns the service's name.
    bool start(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    // Member names of the calls it received, in order.
    QStringList calls() const;
    // The same, each followed by a space and the call's signature.
    QStringList callsWithSignatures() const;
    // The record texts of every store it received, in order.
    QList<QStringList> stores() const;

private:
    QString m_mode;
    QString m_folder;
    QProcess m_process;
};

// One run of the tool as a process against a hostile service, on a bus and in a runtime folder
// of its own.
class HostileRun
{
public:
    HostileRun(const QString &mode, const QStringList &toolArguments);

    bool start();
    // Waits for the tool to end; false when it had to be killed after timeoutMs.
    bool finish(int timeoutMs);

    HostileService &service() { return *m_service; }
    PrivateBus &bus() { return m_bus; }
    bool crashed() const { return m_crashed; }
    int exitCode() const { return m_exitCode; }
    QString standardError() const { return m_standardError; }
    qint64 elapsedMs() const { return m_elapsedMs; }

private:
    QString m_folder;
    QStringList m_arguments;
    PrivateBus m_bus;
    std::unique_ptr<HostileService> m_service;
    QProcess m_tool;
    QElapsedTimer m_clock;
    bool m_crashed = false;
    int m_exitCode = -1;
    QString m_standardError;
    qint64 m_elapsedMs = -1;
};

// The line a process writes next on its standard output, without the line break; empty when
// none comes in time.
QString nextLine(QProcess &process, int timeoutMs);

#endif
