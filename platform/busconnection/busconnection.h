// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_BUSCONNECTION_H
#define KIVO_BUSCONNECTION_H

#include <atomic>
#include <memory>

class QByteArray;
class QDBusConnection;

// Lets the connection hold whatever the bus delivers. By default libdbus stops reading once
// 63 MiB of received messages are alive, and Qt never makes it read again (it re-enables reading
// from the wrong thread): one large message, or two, would leave the process deaf for good.
void receiveWhatTheBusDelivers(const QDBusConnection &bus);

// While it lives, the process ends at once with the status, after writing the line to standard
// error, when the connection to the bus is lost: a call waiting for its reply would then wait for
// ever, as Qt never ends it (the bus drops a client that sends a message larger than it
// accepts). For runs of calls with nothing of the user's to lose.
class EndingOnLostBus
{
public:
    EndingOnLostBus(const QDBusConnection &bus, const QByteArray &line, int status);
    // The connection closes as the process ends: that is no loss.
    ~EndingOnLostBus();
    EndingOnLostBus(const EndingOnLostBus &) = delete;
    EndingOnLostBus &operator=(const EndingOnLostBus &) = delete;

private:
    std::shared_ptr<std::atomic<bool>> m_armed;
};

#endif
