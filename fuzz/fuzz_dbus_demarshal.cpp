// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// Reading window properties from what a peer sends on the bus. The input is a D-Bus signature, a
// NUL byte and a message body. libdbus checks the whole message as it checks every message from a
// peer, and sends it over a private peer-to-peer connection to this process's Qt side, which reads
// it the way the client reads a reply: a list or a record is read exactly when its signature is
// the expected one, and then holds what libdbus reads from the same bytes; anything else leaves
// an empty list or record and, for a list, a reason. A list that the stand-in service would
// accept is also stored and read back.
#include "daemon/winpropsstore.h"
#include "fuzz/fuzzcheck.h"
#include "platform/winprops/recordlines.h"
#include "platform/winprops/winprops.h"
#include "platform/winprops/winpropsfields.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServer>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QtEndian>

#include <dbus/dbus.h>

#include <atomic>
#include <memory>

namespace {

constexpr int deliveryTimeoutMs = 10000;

// Keeps the last message that arrived at /fuzz.
class Receiver : public QDBusVirtualObject
{
public:
    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        m_message = message;
        m_arrived = true;
        QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread())->wakeUp();
        return true;
    }

    // Runs the event loop until a message arrives; aborts when none does.
    QDBusMessage take()
    {
        const QDeadlineTimer deadline(deliveryTimeoutMs);
        while (!m_arrived && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        FUZZ_CHECK(m_arrived);
        m_arrived = false;
        return m_message;
    }

private:
    QDBusMessage m_message;
    std::atomic<bool> m_arrived { false };
};

struct Peers
{
    QTemporaryDir socketFolder;
    std::unique_ptr<QDBusServer> server;
    QDBusConnection qtSide { QString() };
    Receiver receiver;
    bool registered = false;
    DBusConnection *libdbusSide = nullptr;
};

Peers *peers = nullptr;

void connectPeers()
{
    static int argc = 1;
    static char name[] = "fuzz_dbus_demarshal";
    static char *argv[] = { name, nullptr };
    new QCoreApplication(argc, argv);
    peers = new Peers;
    peers->server
        = std::make_unique<QDBusServer>(QStringLiteral("unix:dir=") + peers->socketFolder.path());
    FUZZ_CHECK(peers->server->isConnected());
    QObject::connect(
        peers->server.get(), &QDBusServer::newConnection, [](const QDBusConnection &connection) {
            peers->qtSide = connection;
            peers->registered
                = peers->qtSide.registerVirtualObject(QStringLiteral("/fuzz"), &peers->receiver);
        });
    DBusError error;
    dbus_error_init(&error);
    peers->libdbusSide
        = dbus_connection_open_private(peers->server->address().toUtf8().constData(), &error);
    FUZZ_CHECK(peers->libdbusSide != nullptr);
    // Both sides take turns until the Qt side has accepted the connection.
    const QDeadlineTimer deadline(deliveryTimeoutMs);
    while (!peers->registered && !deadline.hasExpired()) {
        dbus_connection_read_write(peers->libdbusSide, 10);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    FUZZ_CHECK(peers->registered);
}

void align(QByteArray &bytes, int alignment)
{
    while (bytes.size() % alignment)
        bytes += '\0';
}

void appendUint32(QByteArray &bytes, quint32 value)
{
    align(bytes, 4);
    const quint32 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), 4);
}

// One header field: its code and a variant of type o, s or g.
void appendField(QByteArray &bytes, char code, char type, const QByteArray &value)
{
    align(bytes, 8);
    bytes += code;
    bytes += char(1);
    bytes += type;
    bytes += '\0';
    if (type == 'g')
        bytes += char(value.size());
    else
        appendUint32(bytes, quint32(value.size()));
    bytes += value;
    bytes += '\0';
}

// A little-endian method call to /fuzz that expects no reply.
QByteArray wireMessage(const QByteArray &signature, const QByteArray &body)
{
    QByteArray bytes;
    bytes += 'l';
    bytes += char(DBUS_MESSAGE_TYPE_METHOD_CALL);
    bytes += char(DBUS_HEADER_FLAG_NO_REPLY_EXPECTED);
    bytes += char(DBUS_MAJOR_PROTOCOL_VERSION);
    appendUint32(bytes, quint32(body.size()));
    appendUint32(bytes, 1);
    appendUint32(bytes, 0);
    const int fieldsStart = bytes.size();
    appendField(bytes, DBUS_HEADER_FIELD_PATH, 'o', "/fuzz");
    appendField(bytes, DBUS_HEADER_FIELD_MEMBER, 's', "deliver");
    if (!signature.isEmpty())
        appendField(bytes, DBUS_HEADER_FIELD_SIGNATURE, 'g', signature);
    const quint32 fieldsLength = qToLittleEndian(quint32(bytes.size() - fieldsStart));
    bytes.replace(fieldsStart - 4, 4, reinterpret_cast<const char *>(&fieldsLength), 4);
    align(bytes, 8);
    return bytes + body;
}

QString nextString(DBusMessageIter &field)
{
    const char *text = nullptr;
    dbus_message_iter_get_basic(&field, &text);
    dbus_message_iter_next(&field);
    return QString::fromUtf8(text);
}

bool nextBool(DBusMessageIter &field)
{
    dbus_bool_t value = false;
    dbus_message_iter_get_basic(&field, &value);
    dbus_message_iter_next(&field);
    return value;
}

quint32 nextUint32(DBusMessageIter &field)
{
    dbus_uint32_t value = 0;
    dbus_message_iter_get_basic(&field, &value);
    dbus_message_iter_next(&field);
    return value;
}

// The record at a struct of the record's signature, read with libdbus alone.
WinProps recordAt(DBusMessageIter &structure)
{
    DBusMessageIter field;
    dbus_message_iter_recurse(&structure, &field);
    WinProps props;
    props.setWinName(nextString(field));
    for (const WinPropsField &property : winPropsFields()) {
        switch (property.kind) {
        case WinPropsKind::Switch:
            props.*property.flag = nextBool(field);
            break;
        case WinPropsKind::Image:
        case WinPropsKind::Geometry:
            props.*property.text = nextString(field);
            break;
        case WinPropsKind::Number:
            props.*property.number = nextUint32(field);
            break;
        }
    }
    return props;
}

WinPropsList listAt(DBusMessageIter &array)
{
    WinPropsList list;
    DBusMessageIter element;
    dbus_message_iter_recurse(&array, &element);
    while (dbus_message_iter_get_arg_type(&element) == DBUS_TYPE_STRUCT) {
        list.append(recordAt(element));
        dbus_message_iter_next(&element);
    }
    return list;
}

QString signatureAt(DBusMessageIter &argument)
{
    char *signature = dbus_message_iter_get_signature(&argument);
    const QString result = QString::fromUtf8(signature);
    dbus_free(signature);
    return result;
}

// A collection that the stand-in service accepts from a peer reads back from its file unchanged.
void checkStorable(const WinPropsList &received)
{
    WinPropsList records;
    for (const WinProps &props : received)
        records.append(normalized(props));
    if (!listProblem(records).isNull())
        return;
    const StorageContents stored = parseStorage(recordLines(records));
    FUZZ_CHECK(stored.rejected.isEmpty());
    FUZZ_CHECK(stored.records == records);
}

// Reads one argument of the message as a list and as a record, each from a fresh copy.
void checkArgument(const QVariant &qtValue, DBusMessageIter &argument)
{
    const QString signature = signatureAt(argument);
    if (qtValue.userType() != qMetaTypeId<QDBusArgument>()) {
        FUZZ_CHECK(signature != winPropsListSignature() && signature != winPropsSignature());
        return;
    }
    FUZZ_CHECK(qtValue.value<QDBusArgument>().currentSignature() == signature);

    WinPropsList list;
    QString errorMessage;
    const bool isList = readWinPropsList(qtValue.value<QDBusArgument>(), list, &errorMessage);
    FUZZ_CHECK(isList == (signature == winPropsListSignature()));
    FUZZ_CHECK(isList ? list == listAt(argument) : list.isEmpty() && !errorMessage.isEmpty());
    if (isList)
        checkStorable(list);

    WinProps props;
    qtValue.value<QDBusArgument>() >> props;
    FUZZ_CHECK(props == (signature == winPropsSignature() ? recordAt(argument) : WinProps()));
}

void checkMessage(DBusMessage *sent, const QDBusMessage &arrived)
{
    FUZZ_CHECK(arrived.signature() == QString::fromUtf8(dbus_message_get_signature(sent)));
    const QList<QVariant> arguments = arrived.arguments();
    DBusMessageIter argument;
    int index = 0;
    if (dbus_message_iter_init(sent, &argument)) {
        do {
            FUZZ_CHECK(index < arguments.size());
            checkArgument(arguments.at(index++), argument);
        } while (dbus_message_iter_next(&argument));
    }
    FUZZ_CHECK(index == arguments.size());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    connectPeers();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const int end = input.indexOf('\0');
    const QByteArray signature = end < 0 ? input : input.left(end);
    const QByteArray body = end < 0 ? QByteArray() : input.mid(end + 1);
    // File descriptors pass only with a descriptor table beside the message; no peer sends ours.
    if (signature.size() > DBUS_MAXIMUM_SIGNATURE_LENGTH || signature.contains('h'))
        return 0;
    const QByteArray wire = wireMessage(signature, body);
    DBusError error;
    dbus_error_init(&error);
    DBusMessage *message = dbus_message_demarshal(wire.constData(), wire.size(), &error);
    if (!message) {
        dbus_error_free(&error);
        return 0;
    }
    FUZZ_CHECK(dbus_connection_send(peers->libdbusSide, message, nullptr));
    dbus_connection_flush(peers->libdbusSide);
    checkMessage(message, peers->receiver.take());
    dbus_message_unref(message);
    return 0;
}
