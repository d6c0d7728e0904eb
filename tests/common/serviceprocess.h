// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_SERVICEPROCESS_H
#define KIVO_SERVICEPROCESS_H

#include <QDBusPendingCall>
#include <QProcess>
#include <QStringList>

// The stand-in window-properties daemon as a separate process on the test's bus, with a storage
// file of its own.
class ServiceProcess
{
public:
    explicit ServiceProcess(const QString &storagePath = QString());
    ~ServiceProcess();

    // Writes the storage file: one record text per line.
    void writeStorage(const QStringList &lines);
    QStringList readStorage() const;
    QString storagePath() const { return m_storagePath; }

    // Starts the daemon and waits until it owns the service's bus name.
    bool start(const QStringList &extraArguments = {});
    // Writes the storage file, then starts the daemon on it.
    bool startWith(const QStringList &storageLines);
    // Ends it with SIGTERM and waits; true when it exited cleanly with status 0.
    bool stop();
    QProcess &process() { return m_process; }

    static QString program();
    static bool isServiceOnBus();
    static bool waitForService(bool present, int timeoutMs = 10000);

private:
    QString m_storagePath;
    QProcess m_process;
};

// Waits for a call to finish; false, with the error logged, when it failed.
bool succeeded(QDBusPendingCall call);

#endif
