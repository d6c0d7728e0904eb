// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_KWINAPPLIER_H
#define KIVO_KWINAPPLIER_H

#include "daemon/windowsbackend.h"
#include "platform/winprops/winprops.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QRect>
#include <QSet>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <memory>

// Applies the stored window properties as KWin's window rules: one rule of ours in kwinrulesrc
// per record that sets something KWin does, written beside the user's rules, and KWin told to
// read them again after every change. KWin's rules act before a window is first shown.
// A KWin script of ours tells it the screen's geometry, now and whenever it changes, for the
// offsets counted from the right and bottom edges, and asks it what each new window gets while
// KWin has not read the rules yet.
class KwinApplier : public WindowsBackend, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kivo.kivowinpropsd.KwinScript")

public:
    // Whether KWin owns its name on the bus.
    static bool isRunning(const QDBusConnection &bus);
    // KWin's rules file of this user.
    static QString defaultRulesPath();

    // bus: where KWin is told to read its rules again.
    KwinApplier(const QString &rulesPath, const QDBusConnection &bus, QObject *parent = nullptr);
    ~KwinApplier() override;

    // KWin applies the rules to the windows open now as well.
    void start(const WinPropsList &records) override;
    void setRecords(const WinPropsList &records) override;

public Q_SLOTS:
    // From our script in KWin: the whole screen, all outputs together, as "x,y,width,height".
    // The rules placing from the right or bottom edge follow it.
    Q_SCRIPTABLE void setScreen(const QString &geometry);
    // From our script in KWin, for a new window of that instance and class: what the rules KWin
    // has not read yet apply initially, as JSON (see kwinStartsChanged); empty when nothing.
    Q_SCRIPTABLE QString windowStart(const QString &instance, const QString &windowClass) const;
    // From our undo script in KWin, once it has run.
    Q_SCRIPTABLE void undoDone(const QString &name);

private:
    enum class Written { Yes, No, ChangedMeanwhile };

    // True when the file changed; before: what it held.
    bool writeRules(const WinPropsList &records, QByteArray &before);
    Written replaceRules(const QString &path, const QByteArray &before, const QByteArray &after);
    void reconfigure();
    QString rulesFile() const;
    // Runs the scripts that take back what rules gone forced, once KWin has read the rules
    // again: KWin reads them a moment after it is told to, and a rule still in force would keep
    // a window from being set back.
    void watchForKwinReading();
    void stopWatching();
    void runUndoScripts();
    void putX11WindowsBackOnTheTaskbar();
    void loadScript(const QString &name, const QByteArray &script);
    void loadWatchScript(int triesLeft);
    void callScripting(const QString &method, const QVariantList &arguments);
    // Whether a call comes over the bus from anyone but KWin, which alone may tell us things.
    bool calledByOthers() const;

    QString m_rulesPath;
    bool m_wayland = false;
    QDBusConnection m_bus;
    WinPropsList m_records;
    QRect m_screen;
    QByteArrayList m_pendingUndo;
    // The names (instance or class) whose X11 windows go back on the taskbar with the undo, in
    // lower case.
    QSet<QString> m_pendingTaskbarUndo;
    // What the rules KWin has not read yet apply initially, by the record's name in lower case.
    QHash<QString, QJsonObject> m_pendingStarts;
    // How new windows start where KWin's rules cannot do it, by the record's name in lower case.
    QHash<QString, QJsonObject> m_scriptedStarts;
    int m_inotify = -1;
    std::unique_ptr<QSocketNotifier> m_kwinReading;
    QTemporaryDir m_scripts;
    int m_scriptNumber = 0;
    // Undo scripts started, not yet done.
    QSet<QString> m_runningUndo;
};

#endif
