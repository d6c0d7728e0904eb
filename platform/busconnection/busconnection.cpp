// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "busconnection.h"

#include <QDBusConnection>

#include <climits>
#include <dbus/dbus.h>

void receiveWhatTheBusDelivers(const QDBusConnection &bus)
{
    // The bus itself bounds what it queues for one connection (max_outgoing_bytes, 1 GB on a
    // session bus), so no message is left unread.
    if (auto *connection = static_cast<DBusConnection *>(bus.internalPointer()))
        dbus_connection_set_max_received_size(connection, LONG_MAX);
}
