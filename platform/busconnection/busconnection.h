// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_BUSCONNECTION_H
#define KIVO_BUSCONNECTION_H

class QByteArray;
class QDBusConnection;

// Lets the connection hold whatever the bus delivers. By default libdbus stops reading once
// 63 MiB of received messages are alive, and Qt never makes it read again (it re-enables reading
// from the wrong thread): one large message, or two, would leave the process deaf for good.
void receiveWhatTheBusDelivers(const QDBusConnection &bus);

// Ends the process at once with the status, after writing the line to standard error, when the
// connection to the bus is lost: a call waiting for its reply then waits for ever, as Qt never
// ends it (the bus drops a client that sends a message larger than it accepts). For processes
// whose work is one run of calls, with nothing of the user's to lose.
void endProcessWhenLost(const QDBusConnection &bus, const QByteArray &line, int status);

#endif
