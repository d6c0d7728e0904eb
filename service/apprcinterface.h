// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_APPRCINTERFACE_H
#define KIVO_APPRCINTERFACE_H

#include "platform/winprops/winprops.h"
#include "service/apprcproxy.h"
#include "service/winpropsbackend.h"

// Client of the window-properties service: the proxy generated from the interface description,
// whose every method is an asynchronous call, and what the tool needs of the service on top,
// waiting for the answer: the collection read with its generation and stored on condition, or
// compared just before it is stored where the service has no generations.
class ApprcInterface : public ApprcProxy, public WinPropsBackend
{
    Q_OBJECT

public:
    ApprcInterface(const QString &service, const QString &path, const QDBusConnection &connection,
                   QObject *parent = nullptr);
    ~ApprcInterface() override;

    Fetched fetchAll() override;
    Stored storeAll(const WinPropsList &records, const Fetched *basis) override;
    // Both remember a service that does not know the call, and ask it neither call again.
    std::optional<Fetched> fetchNamed(const QStringList &names) override;
    std::optional<Stored> storeChanges(const WinPropsList &changed, const QStringList &removed,
                                       const Fetched &basis) override;
    std::optional<DesktopEffects> effectsHere() override;
    bool isServiceAbsent() override;
    // getAllProperties, waited for and read; no generation is taken.
    Fetched readAllProperties();
    // What this desktop does with each property, waited for. Nothing, with an empty message,
    // from a service that does not tell; nothing with a message when the call failed.
    std::optional<DesktopEffects> readDesktopEffects(QString &errorMessage);

private:
    Stored storeAfterComparing(const WinPropsList &records, const Fetched *basis);

    bool m_storesChanges = true;
};

#endif
