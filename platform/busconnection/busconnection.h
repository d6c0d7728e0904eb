// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_BUSCONNECTION_H
#define KIVO_BUSCONNECTION_H

class QDBusConnection;

// Lets the connection hold whatever the bus delivers. By default libdbus stops reading once
// 63 MiB of received messages are alive, and Qt never makes it read again (it re-enables reading
// from the wrong thread): one large message, or two, would leave the process deaf for good.
void receiveWhatTheBusDelivers(const QDBusConnection &bus);

#endif
