// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/busconnection/busconnection.h"

#include <QByteArray>
#include <QDBusConnection>

#include <climits>
#include <cstdlib>
#include <dbus/dbus.h>
#include <unistd.h>

namespace {
struct Ending
{
    std::shared_ptr<std::atomic<bool>> armed;
    QByteArray line;
    int status;
};

// Runs in the connection's own thread, which goes on while the main thread waits for a reply.
DBusHandlerResult endIfDisconnected(DBusConnection *, DBusMessage *message, void *data)
{
    const auto *ending = static_cast<const Ending *>(data);
    if (*ending->armed && dbus_message_is_signal(message, DBUS_INTERFACE_LOCAL, "Disconnected")) {
        if (::write(STDERR_FILENO, ending->line.constData(), size_t(ending->line.size())) < 0) {
            // Nothing else can be said.
        }
        std::_Exit(ending->status);
    }
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

void forget(void *data)
{
    delete static_cast<Ending *>(data);
}
} // namespace

void receiveWhatTheBusDelivers(const QDBusConnection &bus)
{
    // The bus itself bounds what it queues for one connection (max_outgoing_bytes, 1 GB on a
    // session bus), so no message is left unread.
    if (auto *connection = static_cast<DBusConnection *>(bus.internalPointer()))
        dbus_connection_set_max_received_size(connection, LONG_MAX);
}

EndingOnLostBus::EndingOnLostBus(const QDBusConnection &bus, const QByteArray &line, int status)
    : m_armed(std::make_shared<std::atomic<bool>>(true))
{
    // A connection lost before it is used fails the first call at once.
    if (auto *connection = static_cast<DBusConnection *>(bus.internalPointer()))
        dbus_connection_add_filter(connection, endIfDisconnected,
                                   new Ending { m_armed, line, status }, forget);
}

EndingOnLostBus::~EndingOnLostBus()
{
    *m_armed = false;
}
