// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_KWINAPPLIER_H
#define KIVO_KWINAPPLIER_H

#include "daemon/windowsbackend.h"
#include "platform/winprops/winprops.h"

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <memory>

// Applies the stored window properties as KWin's window rules: one rule of ours in kwinrulesrc
// per record that sets something KWin does, written beside the user's rules, and KWin told to
// read them again after every change. KWin's rules act before a window is first shown.
class KwinApplier : public WindowsBackend
{
    Q_OBJECT

public:
    // Whether KWin owns its name on the bus.
    static bool isRunning(const QDBusConnection &bus);
    // KWin's rules file of this user.
    static QString defaultRulesPath();

    // bus: where KWin is told to read its rules again.
    KwinApplier(const QString &rulesPath, const QDBusConnection &bus, QObject *parent = nullptr);
    ~KwinApplier() override;

    // KWin applies the rules to the windows open now as well.
    void start(const WinPropsList &records) override { setRecords(records); }
    void setRecords(const WinPropsList &records) override;

private:
    enum class Written { Yes, No, ChangedMeanwhile };

    // True when the file changed; before: what it held.
    bool writeRules(const WinPropsList &records, QByteArray &before);
    Written replaceRules(const QString &path, const QByteArray &before, const QByteArray &after);
    void reportNotApplied(const WinProps &record);
    void reconfigure();
    QString rulesFile() const;
    // Runs the scripts that take back what rules gone forced, once KWin has read the rules
    // again: KWin reads them a moment after it is told to, and a rule still in force would keep
    // a window from being set back.
    void watchForKwinReading();
    void stopWatching();
    void runUndoScripts();
    void runScript(const QByteArray &script);

    QString m_rulesPath;
    QDBusConnection m_bus;
    QSet<QString> m_reported;
    QByteArrayList m_pendingUndo;
    int m_inotify = -1;
    std::unique_ptr<QSocketNotifier> m_kwinReading;
    QTemporaryDir m_scripts;
    int m_scriptNumber = 0;
};

#endif
