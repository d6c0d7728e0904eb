// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "apprcinterface.h"
#include "serviceprocess.h"
#include "testenvironment.h"
#include "winpropsservice.h"

#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QMetaMethod>
#include <QMutex>
#include <QSemaphore>
#include <QThread>

#include <functional>
#include <utility>

namespace {

// What the stand-in service answers to getAllProperties.
enum class ReplyKind {
    Records,
    StringArray,
    OtherStruct,
    SameFieldCount,
    NoArgument,
    TwoArguments
};

// As many fields as a record, all strings: a list of these has the record list's shape but not
// its signature.
struct SameFieldCount
{
    QVector<QString> fields = QVector<QString>(23, QStringLiteral("x"));
};

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

} // namespace

Q_DECLARE_METATYPE(SameFieldCount)
Q_DECLARE_METATYPE(QList<SameFieldCount>)
Q_DECLARE_METATYPE(ReplyKind)

using Call = std::function<QDBusPendingCall(ApprcInterface &)>;
Q_DECLARE_METATYPE(Call)

namespace {

const QString recorderName = QStringLiteral("org.kivo.test.Recorder");

WinProps sampleRecord()
{
    const WinProps props(QStringLiteral("sample;no_title;shadow=3"));
    Q_ASSERT(props.isValid());
    return props;
}

QVariantList getAllPropertiesReply(ReplyKind kind)
{
    switch (kind) {
    case ReplyKind::Records:
        return { QVariant::fromValue(WinPropsList { sampleRecord() }) };
    case ReplyKind::StringArray:
        return { QStringList { QStringLiteral("xterm"), QStringLiteral("no_title") } };
    case ReplyKind::OtherStruct: {
        QDBusArgument structure;
        structure.beginStructure();
        structure << QStringLiteral("xterm") << 42 << true;
        structure.endStructure();
        return { QVariant::fromValue(structure) };
    }
    case ReplyKind::SameFieldCount:
        return { QVariant::fromValue(QList<SameFieldCount> { SameFieldCount() }) };
    case ReplyKind::NoArgument:
        return {};
    case ReplyKind::TwoArguments:
        return { QVariant::fromValue(WinPropsList { sampleRecord() }), 7 };
    }
    return {};
}

// Answers every call on its path, records member and signature, and replies to
// getAllProperties as told; other calls get an empty reply.
class RecordingObject : public QDBusVirtualObject
{
public:
    struct Received
    {
        QString member;
        QString signature;
    };

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        ReplyKind kind;
        {
            QMutexLocker lock(&m_mutex);
            m_received.append({ message.member(), message.signature() });
            kind = m_replyKind;
        }
        const QVariantList arguments = message.member() == QLatin1String("getAllProperties")
            ? getAllPropertiesReply(kind)
            : QVariantList();
        return connection.send(message.createReply(arguments));
    }

    void setReplyKind(ReplyKind kind)
    {
        QMutexLocker lock(&m_mutex);
        m_replyKind = kind;
    }

    QList<Received> takeReceived()
    {
        QMutexLocker lock(&m_mutex);
        return std::exchange(m_received, {});
    }

private:
    QMutex m_mutex;
    QList<Received> m_received;
    ReplyKind m_replyKind = ReplyKind::Records;
};

// A stand-in service on a connection and thread of its own, so that it answers while the test's
// thread blocks in waitForFinished.
class RecorderThread : public QThread
{
public:
    bool startService()
    {
        start();
        m_ready.acquire();
        return m_registered;
    }

    RecordingObject &object() { return *m_object; }

protected:
    void run() override
    {
        const QString connectionName = QStringLiteral("recorder");
        {
            QDBusConnection bus
                = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
            RecordingObject object;
            m_object = &object;
            m_registered = bus.registerVirtualObject(WinPropsService::objectPath(), &object)
                && bus.registerService(recorderName);
            m_ready.release();
            exec();
            bus.unregisterObject(WinPropsService::objectPath());
            m_object = nullptr;
        }
        QDBusConnection::disconnectFromBus(connectionName);
    }

private:
    RecordingObject *m_object = nullptr;
    QSemaphore m_ready;
    bool m_registered = false;
};

// Records with names and values that need escaping or are not ASCII, and varied properties.
WinPropsList oddRecords(int count)
{
    static const QStringList patterns = {
        QStringLiteral("name with spaces %1"), QStringLiteral("semi;colon %1"),
        QStringLiteral("back\\slash %1"),      QStringLiteral("equals=sign %1"),
        QStringLiteral("Ünïcødé 世界 %1"),     QStringLiteral("  %1  "),
        QStringLiteral("window 🪟 %1"),
    };
    WinPropsList records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        WinProps props;
        props.setWinName(patterns.at(i % patterns.size()).arg(i));
        props.sticky = i & 1;
        props.no_title = i & 2;
        props.no_button3 = i & 4;
        props.ontop = i & 8;
        props.focus_on_click = i & 16;
        if (i % 3 == 0)
            props.small_image = QStringLiteral("icon;%1=\\").arg(i);
        if (i % 5 == 0)
            props.large_image = QStringLiteral("/usr/share/pixmaps/é %1.png").arg(i);
        if (i % 7 == 0)
            props.geometry
                = QStringLiteral("%1x%2-%3+%4").arg(i).arg(i + 1).arg(i % 13).arg(i % 17);
        props.shadow = i % 11 == 0 ? WinProps::NotSet : quint32(i % 101);
        props.transparency = quint32((i * 7) % 101);
        records.append(props);
    }
    return records;
}

} // namespace

class TestApprcInterface : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        registerWinPropsTypes();
        qDBusRegisterMetaType<SameFieldCount>();
        qDBusRegisterMetaType<QList<SameFieldCount>>();
        QVERIFY(m_recorder.startService());
    }

    void cleanupTestCase()
    {
        m_recorder.quit();
        m_recorder.wait();
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("ten thousand") << 10000;
    }

    void roundTrip()
    {
        QFETCH(int, count);
        ServiceProcess service;
        service.writeStorage({ QStringLiteral("old;ontop") });
        QVERIFY(service.start());
        ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(),
                              QDBusConnection::sessionBus());
        const WinPropsList records = oddRecords(count);

        QElapsedTimer timer;
        timer.start();
        QDBusPendingReply<> stored = client.setAllProperties(records);
        stored.waitForFinished();
        QVERIFY2(!stored.isError(), qPrintable(stored.error().message()));
        const qint64 storeTime = timer.restart();
        QDBusPendingReply<WinPropsList> fetched = client.getAllProperties();
        fetched.waitForFinished();
        const qint64 fetchTime = timer.elapsed();
        qInfo("%d records: store %lld ms, fetch %lld ms", count, storeTime, fetchTime);

        WinPropsList received;
        QString errorMessage;
        QVERIFY2(winPropsListFromReply(fetched, received, errorMessage), qPrintable(errorMessage));
        QCOMPARE(received.size(), records.size());
        for (int i = 0; i < records.size(); ++i)
            QCOMPARE(received.at(i).toString(), records.at(i).toString());
        QCOMPARE(received, records);
        QCOMPARE(service.readStorage().size(), count);
        QVERIFY(service.stop());
    }

    void memberNames_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("signature");
        const QString record = winPropsSignature();
        QTest::newRow("addRef") << Call([](ApprcInterface &c) { return c.addRef(); }) << "addRef"
                                << "";
        QTest::newRow("getAllProperties")
            << Call([](ApprcInterface &c) { return c.getAllProperties(); }) << "getAllProperties"
            << "";
        QTest::newRow("getWindowProperties")
            << Call([](ApprcInterface &c) { return c.getWindowProperties("a"); })
            << "getWindowProperties"
            << "s";
        QTest::newRow("release") << Call([](ApprcInterface &c) { return c.release(); }) << "release"
                                 << "";
        QTest::newRow("removeWindowProperties")
            << Call([](ApprcInterface &c) { return c.removeWindowProperties("a"); })
            << "removeWindowProperties"
            << "s";
        QTest::newRow("renameWindow")
            << Call([](ApprcInterface &c) { return c.renameWindow("a", "b"); }) << "renameWindow"
            << "ss";
        QTest::newRow("setAllProperties")
            << Call([](ApprcInterface &c) { return c.setAllProperties({ sampleRecord() }); })
            << "setAllProperties" << winPropsListSignature();
        QTest::newRow("setWindowProperties, text")
            << Call([](ApprcInterface &c) { return c.setWindowProperties("a", "ontop"); })
            << "setWindowProperties"
            << "ss";
        QTest::newRow("setWindowProperties, record")
            << Call([](ApprcInterface &c) { return c.setWindowProperties(sampleRecord()); })
            << "setWindowProperties" << record;
        QTest::newRow("winNames") << Call([](ApprcInterface &c) { return c.winNames(); })
                                  << "winNames"
                                  << "";
    }

    void memberNames()
    {
        QFETCH(Call, call);
        QFETCH(QString, member);
        QFETCH(QString, signature);
        m_recorder.object().takeReceived();
        ApprcInterface client(recorderName, WinPropsService::objectPath(),
                              QDBusConnection::sessionBus());
        QDBusPendingCall pending = call(client);
        pending.waitForFinished();
        const QList<RecordingObject::Received> received = m_recorder.object().takeReceived();
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.first().member, member);
        QCOMPARE(received.first().signature, signature);
    }

    void metaObject_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<QByteArray>("returnType");
        QTest::addColumn<QByteArrayList>("parameterNames");
        const int signal = QMetaMethod::Signal;
        const int slot = QMetaMethod::Slot;
        QTest::newRow("0") << 0 << signal << QByteArray("changedWindowProperties(WinProps)")
                           << QByteArray("void") << QByteArrayList { "winProps" };
        QTest::newRow("1") << 1 << signal << QByteArray("removedWindowProperties(QString)")
                           << QByteArray("void") << QByteArrayList { "winName" };
        QTest::newRow("2") << 2 << signal << QByteArray("windowRenamed(QString,QString)")
                           << QByteArray("void") << QByteArrayList { "oldName", "newName" };
        QTest::newRow("3") << 3 << slot << QByteArray("addRef()")
                           << QByteArray("QDBusPendingReply<>") << QByteArrayList();
        QTest::newRow("4") << 4 << slot << QByteArray("getAllProperties()")
                           << QByteArray("QDBusPendingReply<WinPropsList>") << QByteArrayList();
        QTest::newRow("5") << 5 << slot << QByteArray("getWindowProperties(QString)")
                           << QByteArray("QDBusPendingReply<WinProps>")
                           << QByteArrayList { "winName" };
        QTest::newRow("6") << 6 << slot << QByteArray("release()")
                           << QByteArray("QDBusPendingReply<>") << QByteArrayList();
        QTest::newRow("7") << 7 << slot << QByteArray("removeWindowProperties(QString)")
                           << QByteArray("QDBusPendingReply<bool>") << QByteArrayList { "winName" };
        QTest::newRow("8") << 8 << slot << QByteArray("renameWindow(QString,QString)")
                           << QByteArray("QDBusPendingReply<bool>")
                           << QByteArrayList { "currentName", "newName" };
        QTest::newRow("9") << 9 << slot << QByteArray("setAllProperties(WinPropsList)")
                           << QByteArray("QDBusPendingReply<>") << QByteArrayList { "wpl" };
        QTest::newRow("10") << 10 << slot << QByteArray("setWindowProperties(QString,QString)")
                            << QByteArray("QDBusPendingReply<>")
                            << QByteArrayList { "winName", "props" };
        QTest::newRow("11") << 11 << slot << QByteArray("setWindowProperties(WinProps)")
                            << QByteArray("QDBusPendingReply<>") << QByteArrayList { "winProps" };
        QTest::newRow("12") << 12 << slot << QByteArray("winNames()")
                            << QByteArray("QDBusPendingReply<QStringList>") << QByteArrayList();
    }

    void metaObject()
    {
        QFETCH(int, index);
        QFETCH(int, type);
        QFETCH(QByteArray, signature);
        QFETCH(QByteArray, returnType);
        QFETCH(QByteArrayList, parameterNames);
        const QMetaObject &meta = ApprcInterface::staticMetaObject;
        QCOMPARE(meta.methodCount() - meta.methodOffset(), 13);
        const QMetaMethod method = meta.method(meta.methodOffset() + index);
        QCOMPARE(int(method.methodType()), type);
        QCOMPARE(method.access(), QMetaMethod::Public);
        QCOMPARE(method.methodSignature(), signature);
        QCOMPARE(QByteArray(method.typeName()), returnType);
        QCOMPARE(method.parameterNames(), parameterNames);
    }

    void metaObjectHasNothingElse()
    {
        const QMetaObject &meta = ApprcInterface::staticMetaObject;
        QCOMPARE(meta.className(), "ApprcInterface");
        QCOMPARE(meta.superClass(), &QDBusAbstractInterface::staticMetaObject);
        QCOMPARE(meta.propertyCount(), meta.propertyOffset());
        QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
        QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
        QCOMPARE(meta.constructorCount(), 0);
        ApprcInterface client(recorderName, WinPropsService::objectPath(),
                              QDBusConnection::sessionBus());
        QCOMPARE(client.interface(), QStringLiteral("org.kivo.Kivo.WinProps.Apprc"));
        QCOMPARE(client.qt_metacast("ApprcInterface"), static_cast<void *>(&client));
    }

    void replyOfOtherSignature_data()
    {
        QTest::addColumn<ReplyKind>("kind");
        QTest::addColumn<bool>("accepted");
        // Part of the message for the user.
        QTest::addColumn<QString>("reason");
        const QString expected = winPropsListSignature();
        QTest::newRow("records") << ReplyKind::Records << true << QString();
        QTest::newRow("string array") << ReplyKind::StringArray << false << expected;
        QTest::newRow("struct of other types") << ReplyKind::OtherStruct << false << expected;
        QTest::newRow("array, same field count") << ReplyKind::SameFieldCount << false << expected;
        QTest::newRow("no argument") << ReplyKind::NoArgument << false << expected;
        QTest::newRow("extra argument ignored") << ReplyKind::TwoArguments << true << QString();
    }

    void replyOfOtherSignature()
    {
        QFETCH(ReplyKind, kind);
        QFETCH(bool, accepted);
        QFETCH(QString, reason);
        m_recorder.object().setReplyKind(kind);
        ApprcInterface client(recorderName, WinPropsService::objectPath(),
                              QDBusConnection::sessionBus());
        const WinPropsBackend::Fetched fetched = client.fetchAll();
        QCOMPARE(fetched.ok, accepted);
        if (accepted) {
            QCOMPARE(fetched.records, WinPropsList { sampleRecord() });
        } else {
            QVERIFY(fetched.records.isEmpty());
            QVERIFY2(fetched.errorMessage.contains(reason), qPrintable(fetched.errorMessage));
        }
    }

    void absentService()
    {
        QVERIFY(!ServiceProcess::isServiceOnBus());
        ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(),
                              QDBusConnection::sessionBus());
        QDBusPendingReply<WinPropsList> reply = client.getAllProperties();
        reply.waitForFinished();
        QVERIFY(reply.isError());
        QCOMPARE(reply.error().type(), QDBusError::ServiceUnknown);
        WinPropsList list { sampleRecord() };
        QString errorMessage;
        QVERIFY(!winPropsListFromReply(reply, list, errorMessage));
        QVERIFY(list.isEmpty());
        QVERIFY(!errorMessage.isEmpty());
    }

private:
    RecorderThread m_recorder;
};

KIVO_TEST_MAIN(TestApprcInterface)
#include "tst_apprcinterface.moc"
