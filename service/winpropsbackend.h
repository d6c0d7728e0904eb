// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSBACKEND_H
#define KIVO_WINPROPSBACKEND_H

#include "winprops.h"

#include <QString>

// What the dialog needs of the window-properties service: the whole collection, read and
// replaced. Both wait for the service's answer. The D-Bus client implements it; tests that are
// not about D-Bus give the dialog one that lives in the process.
class WinPropsBackend
{
public:
    struct Fetched
    {
        bool ok = false;
        WinPropsList records; // empty unless ok
        QString errorMessage; // for the user, when not ok
    };

    struct Stored
    {
        bool ok = false;
        QString errorMessage; // for the user, when not ok
        // Not stored because the collection changed since this backend last read or stored it.
        bool changedElsewhere = false;
    };

    virtual ~WinPropsBackend() = default;

    // Every stored record, in stored order.
    virtual Fetched fetchAll() = 0;
    // Makes the stored collection equal to records, unless it changed since this backend last
    // read or stored it (as far as the service lets that be known).
    virtual Stored storeAll(const WinPropsList &records) = 0;

protected:
    WinPropsBackend() = default;
    WinPropsBackend(const WinPropsBackend &) = default;
    WinPropsBackend &operator=(const WinPropsBackend &) = default;
};

#endif
