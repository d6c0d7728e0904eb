// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_APPRCINTERFACE_H
#define KIVO_APPRCINTERFACE_H

#include "winprops.h"
#include "winpropsbackend.h"

#include <QDBusAbstractInterface>
#include <QDBusPendingReply>
#include <QStringList>

#include <optional>

// Client of the window-properties service. Every method is an asynchronous call that returns
// its pending reply at once; fetchAll and storeAll wait for the answer.
class ApprcInterface : public QDBusAbstractInterface, public WinPropsBackend
{
    Q_OBJECT

public:
    static const char *staticInterfaceName() { return "org.kivo.Kivo.WinProps.Apprc"; }

    ApprcInterface(const QString &service, const QString &path, const QDBusConnection &connection,
                   QObject *parent = nullptr);
    ~ApprcInterface() override;

    Fetched fetchAll() override;
    Stored storeAll(const WinPropsList &records) override;
    // getAllProperties, waited for and read; no generation is taken.
    Fetched readAllProperties();

public Q_SLOTS:
    QDBusPendingReply<> addRef();
    QDBusPendingReply<WinPropsList> getAllProperties();
    QDBusPendingReply<WinProps> getWindowProperties(const QString &winName);
    QDBusPendingReply<> release();
    QDBusPendingReply<bool> removeWindowProperties(const QString &winName);
    QDBusPendingReply<bool> renameWindow(const QString &currentName, const QString &newName);
    QDBusPendingReply<> setAllProperties(WinPropsList wpl);
    QDBusPendingReply<> setWindowProperties(const QString &winName, const QString &props);
    QDBusPendingReply<> setWindowProperties(WinProps winProps);
    QDBusPendingReply<QStringList> winNames();
    // Not every service has these two (lacksMethod tells).
    QDBusPendingReply<WinPropsList, qulonglong> getAllPropertiesAndGeneration();
    QDBusPendingReply<qulonglong> setAllPropertiesIfUnchanged(WinPropsList wpl,
                                                              qulonglong generation);

private:
    Fetched fetchWithoutGeneration();
    Stored storeAfterComparing(const WinPropsList &records);

    // The collection's generation as last read or stored.
    std::optional<qulonglong> m_generation;
    // With a service that has no generations: the collection as last read or stored.
    std::optional<WinPropsList> m_lastSeen;

Q_SIGNALS:
    void changedWindowProperties(WinProps winProps);
    void removedWindowProperties(const QString &winName);
    void windowRenamed(const QString &oldName, const QString &newName);
};

#endif
