// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSSERVICE_H
#define KIVO_WINPROPSSERVICE_H

#include "platform/winprops/winprops.h"

#include <QDBusPendingReply>

// Where the window-properties service is found on the session bus.
namespace WinPropsService {
QString busName();
QString objectPath();
} // namespace WinPropsService

// Registers the record and the list with the meta-type and D-Bus type systems, the record first.
void registerWinPropsTypes();

// The error a conditional store answers when the collection changed since the generation given.
QString collectionChangedError();
// Whether a call failed only because the service does not offer the method: an older service,
// to be called the old way.
bool lacksMethod(const QDBusError &error);

// What to tell the user about a failed call: the service's message, or the error's own text.
QString messageOf(const QDBusError &error);

// The list carried by a finished getAllProperties reply. False, with a message for the user,
// when the call failed or the reply is not a list of window properties; the list is then empty.
bool winPropsListFromReply(const QDBusPendingReply<WinPropsList> &reply, WinPropsList &list,
                           QString &errorMessage);

#endif
