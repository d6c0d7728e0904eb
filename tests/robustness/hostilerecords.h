// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_HOSTILERECORDS_H
#define KIVO_HOSTILERECORDS_H

#include "platform/winprops/winprops.h"

#include <QStringList>

// What the hostile window-properties service serves and how it misbehaves, shared by the service
// and the tests that check the tool against it.
namespace Hostile {
// Every way the service misbehaves.
QStringList modes();
// The one mode in which it behaves: a service without generations that keeps what it is given.
QString olderServiceMode();
// Behaving too: a service with generations that stores only whole collections.
QString wholeCollectionServiceMode();

// The records a mode serves when it answers the fetch with records at all.
WinPropsList records(const QString &mode);
// A record as it arrives through the bus: strings travel as UTF-8, so lone surrogates do not.
WinProps asDelivered(WinProps props);

// The error that store-error answers setAllProperties with.
QString storeErrorName();
QString storeErrorMessage();

// Files in the service's record folder: one per call received, and one per store with the
// record texts it was given.
QString callLogName();
QString storeFileName(int number);
// The record texts of a store written by writeStore, or an empty list.
QStringList readStore(const QString &path);
bool writeStore(const QString &path, const WinPropsList &records);

#ifdef KIVO_SANITIZED
// Sanitized builds run many times slower: the same case with fewer records.
constexpr int HugeCount = 10000;
#else
constexpr int HugeCount = 100000;
#endif
// The longest names a record may have, and a name far beyond that.
constexpr int LongNameLength = WinProps::MaxTextLength;
// Small enough for the service to send within the dialog tests' short time-out on a busy machine.
constexpr int OverlongNameLength = 4 * 1000 * 1000;
} // namespace Hostile

#endif
