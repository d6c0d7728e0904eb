// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// A window-properties service that misbehaves on purpose, for the robustness tests and the tests
// of the service client. It owns the service's bus name and answers with raw messages:
//   hostile-winpropsd --mode MODE --record FOLDER
// wrong-signature     the fetch is answered with a list of strings
// wrong-record        the fetch is answered with records of the right size and the wrong types
// other-struct        the fetch is answered with one structure of other types, not a list
// same-field-count    the fetch is answered with a list of structures of 23 strings
// no-arguments        the fetch is answered with an empty reply
// two-arguments       the fetch is answered with the records and a number after them
// fetch-error         the fetch is answered with an error
// huge                100,000 records, nine in ten setting nothing
// long-names          names of the most characters a record may have
// overlong-name       a name of 4 million characters
// markup-names        names with markup, control characters and lone surrogates
// odd-names           values the editor cannot show, an empty name, a name given twice
// silent              nothing is ever answered
// silent-store        the fetch is answered, the store never
// store-error         the store is answered with an error
// vanish-before-save  the fetch is answered, then the service exits at once
// older-service       no misbehaviour: a service without generations that keeps what it is given
// whole-collection-service  the same with generations, but without storing only changes
// Other methods of the interface get an empty reply. Every call received is appended to
// FOLDER/calls as its member and signature; every store's records go to FOLDER/store-N before it
// is answered. Prints "ready" once it owns the bus name.
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/robustness/hostilerecords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <unistd.h>

// Twenty-three fields like a record, with other types in three places.
struct ForeignRecord
{
    QString name;
    qint32 number = -1;
    QDBusObjectPath path { QStringLiteral("/not/a/name") };
    double fraction = 0.5;
};
Q_DECLARE_METATYPE(ForeignRecord)
Q_DECLARE_METATYPE(QList<ForeignRecord>)

QDBusArgument &operator<<(QDBusArgument &argument, const ForeignRecord &record)
{
    argument.beginStructure();
    argument << record.name << record.number << record.path;
    for (int i = 0; i < 19; ++i)
        argument << bool(i % 2);
    argument << record.fraction;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, ForeignRecord &record)
{
    return argument >> record.name;
}

// As many fields as a record, all strings: a list of these has the record list's shape but not
// its signature.
struct SameFieldCount
{
    QVector<QString> fields = QVector<QString>(23, QStringLiteral("x"));
};
Q_DECLARE_METATYPE(SameFieldCount)
Q_DECLARE_METATYPE(QList<SameFieldCount>)

QDBusArgument &operator<<(QDBusArgument &argument, const SameFieldCount &value)
{
    argument.beginStructure();
    for (const QString &field : value.fields)
        argument << field;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SameFieldCount &value)
{
    argument.beginStructure();
    for (QString &field : value.fields)
        argument >> field;
    argument.endStructure();
    return argument;
}

namespace {
class HostileObject : public QDBusVirtualObject
{
public:
    HostileObject(const QString &mode, const QString &recordFolder)
        : m_mode(mode)
        , m_folder(recordFolder)
    {
    }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.interface() != QLatin1String(ApprcInterface::staticInterfaceName()))
            return false;
        if (m_mode == QLatin1String("silent"))
            return note(message);
        if (message.member() == QLatin1String("getAllProperties"))
            return note(message) && answerFetch(message, connection);
        if (message.member() == QLatin1String("setAllProperties"))
            return note(message) && answerStore(message, connection);
        if (m_mode == Hostile::wholeCollectionServiceMode()
            && message.member() == QLatin1String("getAllPropertiesAndGeneration"))
            return note(message)
                && QDBusConnection(connection)
                       .send(message.createReply(
                           { QVariant::fromValue(m_kept), QVariant::fromValue(m_generation) }));
        if (m_mode == Hostile::wholeCollectionServiceMode()
            && message.member() == QLatin1String("setAllPropertiesIfUnchanged"))
            return note(message) && answerConditionalStore(message, connection);
        // An older service: the generation of the collection is unknown to it.
        if (message.member().contains(QLatin1String("Generation"))
            || message.member().endsWith(QLatin1String("IfUnchanged")))
            return note(message)
                && QDBusConnection(connection)
                       .send(message.createErrorReply(QDBusError::UnknownMethod,
                                                      QStringLiteral("No such method")));
        return note(message) && QDBusConnection(connection).send(message.createReply());
    }

private:
    bool note(const QDBusMessage &message)
    {
        QFile log(m_folder.filePath(Hostile::callLogName()));
        if (log.open(QIODevice::Append))
            log.write(message.member().toUtf8() + ' ' + message.signature().toUtf8() + '\n');
        return true;
    }

    bool answerFetch(const QDBusMessage &message, const QDBusConnection &connection)
    {
        QDBusMessage reply = fetchReply(message);
        QDBusConnection(connection).send(reply);
        if (m_mode == QLatin1String("vanish-before-save")) {
            // A call to the bus returns only after the reply above has left; then go, as if
            // the service had crashed, before any other call is taken.
            QDBusConnection(connection).interface()->serviceOwner(WinPropsService::busName());
            ::_exit(0);
        }
        return true;
    }

    QDBusMessage fetchReply(const QDBusMessage &message) const
    {
        if (m_mode == QLatin1String("wrong-signature"))
            return message.createReply(QVariant::fromValue(
                QStringList { QStringLiteral("not"), QStringLiteral("records") }));
        if (m_mode == QLatin1String("wrong-record"))
            return message.createReply(QVariant::fromValue(QList<ForeignRecord> {
                { QStringLiteral("foreign") }, { QStringLiteral("other") } }));
        if (m_mode == QLatin1String("other-struct")) {
            QDBusArgument structure;
            structure.beginStructure();
            structure << QStringLiteral("xterm") << 42 << true;
            structure.endStructure();
            return message.createReply(QVariant::fromValue(structure));
        }
        if (m_mode == QLatin1String("same-field-count"))
            return message.createReply(
                QVariant::fromValue(QList<SameFieldCount> { SameFieldCount() }));
        if (m_mode == QLatin1String("no-arguments"))
            return message.createReply();
        if (m_mode == QLatin1String("two-arguments"))
            return message.createReply(
                QVariantList { QVariant::fromValue(Hostile::records(m_mode)), 7 });
        if (m_mode == QLatin1String("fetch-error"))
            return message.createErrorReply(QStringLiteral("org.kivo.Error.Unreadable"),
                                            QStringLiteral("the collection is <i>locked</i>"));
        return message.createReply(QVariant::fromValue(m_kept));
    }

    bool answerStore(const QDBusMessage &message, const QDBusConnection &connection)
    {
        WinPropsList records;
        const QVariant argument = message.arguments().value(0);
        if (!readWinPropsList(argument.value<QDBusArgument>(), records))
            return false;
        Hostile::writeStore(m_folder.filePath(Hostile::storeFileName(++m_stores)), records);
        if (m_mode == Hostile::olderServiceMode()
            || m_mode == Hostile::wholeCollectionServiceMode()) {
            m_kept = records;
            ++m_generation;
        }
        if (m_mode == QLatin1String("silent-store"))
            return true;
        const QDBusMessage reply = m_mode == QLatin1String("store-error")
            ? message.createErrorReply(Hostile::storeErrorName(), Hostile::storeErrorMessage())
            : message.createReply();
        QDBusConnection(connection).send(reply);
        return true;
    }

    bool answerConditionalStore(const QDBusMessage &message, const QDBusConnection &connection)
    {
        if (message.arguments().value(1).toULongLong() != m_generation)
            return QDBusConnection(connection)
                .send(message.createErrorReply(collectionChangedError(),
                                               QStringLiteral("Changed meanwhile.")));
        WinPropsList records;
        if (!readWinPropsList(message.arguments().value(0).value<QDBusArgument>(), records))
            return false;
        Hostile::writeStore(m_folder.filePath(Hostile::storeFileName(++m_stores)), records);
        m_kept = records;
        return QDBusConnection(connection)
            .send(message.createReply(QVariant::fromValue(++m_generation)));
    }

    QString m_mode;
    QDir m_folder;
    int m_stores = 0;
    qulonglong m_generation = 1;
    WinPropsList m_kept = Hostile::records(m_mode);
};

void complain(const QString &message)
{
    std::fprintf(stderr, "hostile-winpropsd: %s\n", qUtf8Printable(message));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption modeOption(QStringLiteral("mode"), QStringLiteral("How to misbehave."),
                                        QStringLiteral("mode"));
    const QCommandLineOption recordOption(QStringLiteral("record"),
                                          QStringLiteral("Folder for the record of calls."),
                                          QStringLiteral("folder"));
    parser.addOptions({ modeOption, recordOption });
    parser.process(app);
    const QString mode = parser.value(modeOption);
    const QStringList known = Hostile::modes()
        << Hostile::olderServiceMode() << Hostile::wholeCollectionServiceMode();
    if (!known.contains(mode) || !parser.isSet(recordOption)) {
        complain(
            QStringLiteral("usage: --mode {%1} --record FOLDER").arg(known.join(QLatin1Char('|'))));
        return 2;
    }
    registerWinPropsTypes();
    qDBusRegisterMetaType<ForeignRecord>();
    qDBusRegisterMetaType<QList<ForeignRecord>>();
    qDBusRegisterMetaType<SameFieldCount>();
    qDBusRegisterMetaType<QList<SameFieldCount>>();

    HostileObject object(mode, parser.value(recordOption));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(WinPropsService::objectPath(), &object)
        || !bus.registerService(WinPropsService::busName())) {
        complain(bus.lastError().message());
        return 1;
    }
    bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), &app,
                SLOT(quit()));
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
