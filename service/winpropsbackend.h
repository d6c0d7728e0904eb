// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSBACKEND_H
#define KIVO_WINPROPSBACKEND_H

#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/winprops.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the tool needs of the window-properties service: the whole collection, read and
// replaced, or changed where the service can take only the changes. Each waits for the
// service's answer; no records are kept between calls. The D-Bus client implements it; tests that
// are not about D-Bus give the tool one that lives in the process.
class WinPropsBackend
{
public:
    struct Fetched
    {
        bool ok = false;
        WinPropsList records; // empty unless ok
        // The collection's generation; none from a service that has no generations.
        std::optional<qulonglong> generation;
        QString errorMessage; // for the user, when not ok
    };

    struct Stored
    {
        bool ok = false;
        QString errorMessage; // for the user, when not ok
        // Not stored because the collection is no longer the one it was based on.
        bool changedElsewhere = false;
        // The generation of the collection stored, where the service tells it.
        std::optional<qulonglong> generation;
    };

    virtual ~WinPropsBackend() = default;

    // Every stored record, in stored order.
    virtual Fetched fetchAll() = 0;
    // The stored records of these names only, in stored order, with the collection's generation;
    // none where the service cannot read them apart or cannot store only changes.
    virtual std::optional<Fetched> fetchNamed(const QStringList & /*names*/)
    {
        return std::nullopt;
    }
    // Makes the stored collection equal to records, as long as it is still the one read in
    // basis (as far as the service lets that be known); without a basis, whatever is stored is
    // replaced.
    virtual Stored storeAll(const WinPropsList &records, const Fetched *basis) = 0;
    // Removes the names removed, then stores each record changed in place of the one of its
    // name, or after the others, as one change, as long as the collection is still the one read
    // in basis. None where the service cannot store only changes: storeAll must then.
    virtual std::optional<Stored> storeChanges(const WinPropsList & /*changed*/,
                                               const QStringList & /*removed*/,
                                               const Fetched & /*basis*/)
    {
        return std::nullopt;
    }

    // Whether no service is there at all (not running, and none to be started), after a call
    // failed.
    virtual bool isServiceAbsent() { return false; }
    // What the desktop does with each property; none where the service does not tell.
    virtual std::optional<DesktopEffects> effectsHere() { return std::nullopt; }

protected:
    WinPropsBackend() = default;
    WinPropsBackend(const WinPropsBackend &) = default;
    WinPropsBackend &operator=(const WinPropsBackend &) = default;
};

#endif
