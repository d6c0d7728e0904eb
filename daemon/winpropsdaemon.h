// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSDAEMON_H
#define KIVO_WINPROPSDAEMON_H

#include "winprops.h"
#include "winpropsstore.h"

#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

// The object behind "/Apprc": holds the collection, writes every change to the store before it
// takes effect, and answers bad input with an error reply that changes nothing.
class WinPropsDaemon : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    static QString invalidArgumentError();
    static QString storageError();
    static QString notReferencedError();

    // bus: where the clients that call addRef are watched, so that a client that goes away
    // without release does not keep the daemon alive.
    WinPropsDaemon(const WinPropsStore &store, const WinPropsList &records,
                   const QDBusConnection &bus, QObject *parent = nullptr);

    // After this long without a call while no client holds a reference, idle() is emitted.
    void setIdleTimeout(int seconds);

    void addRef();
    WinPropsList getAllProperties();
    // A window without stored properties gets a record of that name that sets nothing.
    WinProps getWindowProperties(const QString &winName);
    void release();
    bool removeWindowProperties(const QString &winName);
    // False when currentName is not stored or newName is.
    bool renameWindow(const QString &currentName, const QString &newName);
    void setAllProperties(const WinPropsList &wpl);
    // props: the properties part of a record text, "no_title;shadow=40".
    void setWindowProperties(const QString &winName, const QString &props);
    void setWindowProperties(const WinProps &winProps);
    QStringList winNames();

    // The collection as stored.
    const WinPropsList &records() const { return m_records; }

Q_SIGNALS:
    void changedWindowProperties(const WinProps &winProps);
    void removedWindowProperties(const QString &winName);
    void windowRenamed(const QString &oldName, const QString &newName);
    void idle();
    // After every change of the collection, whichever way it came.
    void recordsChanged();

private:
    void noteCall();
    void clientVanished(const QString &client);
    void checkIdle();
    int referenceCount() const;
    bool rejectName(const QString &name);
    bool reject(const QString &problem);
    bool store(const WinPropsList &records);
    // Emits the removals and changes that replacing old with records makes: removals in the
    // order of old, then changes in the order of records.
    void announceChanges(const WinPropsList &old, const WinPropsList &records);
    void storeRecord(const WinProps &props);
    int indexOf(const QString &winName) const;

    WinPropsStore m_store;
    WinPropsList m_records;
    QHash<QString, int> m_references;
    QDBusServiceWatcher m_clientWatcher;
    QTimer m_idleTimer;
    bool m_exitsWhenIdle = false;
};

#endif
