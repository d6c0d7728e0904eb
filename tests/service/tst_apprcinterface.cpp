// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/winprops/winpropsfields.h"
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/robustness/hostilerecords.h"
#include "tests/robustness/hostilerun.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QMetaMethod>

#include <functional>
#include <memory>

using Call = std::function<QDBusPendingCall(ApprcInterface &)>;
Q_DECLARE_METATYPE(Call)

namespace {

WinProps sampleRecord()
{
    const WinProps props(QStringLiteral("sample;no_title;shadow=3"));
    Q_ASSERT(props.isValid());
    return props;
}

// The hostile service in one of its modes, recording the calls it gets; gone from the bus again
// when this ends, so that the next test can own the name.
class Recorder
{
public:
    explicit Recorder(const QString &mode)
        : m_service(std::make_unique<HostileService>(
            mode,
            TestEnvironment::root() + QStringLiteral("/recorder-") + QString::number(++s_count)))
    {
    }
    ~Recorder()
    {
        m_service.reset();
        ServiceProcess::waitForService(false);
    }
    bool start() { return m_service->start() && ServiceProcess::waitForService(true); }
    HostileService &service() { return *m_service; }

private:
    static int s_count;
    std::unique_ptr<HostileService> m_service;
};

int Recorder::s_count = 0;

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
        int bit = 0;
        for (const WinPropsField &field : winPropsFields()) {
            if (field.kind == WinPropsKind::Switch)
                props.*field.flag = i & (1 << (bit++ % 5));
        }
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
    void initTestCase() { registerWinPropsTypes(); }

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
        QVERIFY(service.startWith({ QStringLiteral("old;ontop") }));
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
        QTest::newRow("getAllPropertiesAndGeneration")
            << Call([](ApprcInterface &c) { return c.getAllPropertiesAndGeneration(); })
            << "getAllPropertiesAndGeneration"
            << "";
        QTest::newRow("setAllPropertiesIfUnchanged") << Call([](ApprcInterface &c) {
            return c.setAllPropertiesIfUnchanged({ sampleRecord() }, 7);
        }) << "setAllPropertiesIfUnchanged" << winPropsListSignature() + "t";
        QTest::newRow("getPropertiesAndGeneration") << Call([](ApprcInterface &c) {
            return c.getPropertiesAndGeneration({ QStringLiteral("x") });
        }) << "getPropertiesAndGeneration"
                                                    << "as";
        QTest::newRow("changePropertiesIfUnchanged") << Call([](ApprcInterface &c) {
            return c.changePropertiesIfUnchanged({ sampleRecord() }, { QStringLiteral("x") }, 7);
        }) << "changePropertiesIfUnchanged" << winPropsListSignature() + "ast";
    }

    void memberNames()
    {
        QFETCH(Call, call);
        QFETCH(QString, member);
        QFETCH(QString, signature);
        Recorder recorder(QStringLiteral("odd-names"));
        QVERIFY(recorder.start());
        ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(),
                              QDBusConnection::sessionBus());
        QDBusPendingCall pending = call(client);
        pending.waitForFinished();
        QCOMPARE(recorder.service().callsWithSignatures(),
                 QStringList(member + QLatin1Char(' ') + signature));
    }

    void metaObject_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<QByteArray>("returnType");
        QTest::addColumn<QByteArrayList>("parameterNames");
        const int signal = QMetaMethod::Signal;
        const int slot = QMetaMethod::Slot;
        QTest::newRow("changedWindowProperties(WinProps)")
            << signal << QByteArray("changedWindowProperties(WinProps)") << QByteArray("void")
            << QByteArrayList { "winProps" };
        QTest::newRow("removedWindowProperties(QString)")
            << signal << QByteArray("removedWindowProperties(QString)") << QByteArray("void")
            << QByteArrayList { "winName" };
        QTest::newRow("windowRenamed(QString,QString)")
            << signal << QByteArray("windowRenamed(QString,QString)") << QByteArray("void")
            << QByteArrayList { "oldName", "newName" };
        QTest::newRow("addRef()") << slot << QByteArray("addRef()")
                                  << QByteArray("QDBusPendingReply<>") << QByteArrayList();
        QTest::newRow("getAllProperties()")
            << slot << QByteArray("getAllProperties()")
            << QByteArray("QDBusPendingReply<WinPropsList>") << QByteArrayList();
        QTest::newRow("getWindowProperties(QString)")
            << slot << QByteArray("getWindowProperties(QString)")
            << QByteArray("QDBusPendingReply<WinProps>") << QByteArrayList { "winName" };
        QTest::newRow("release()") << slot << QByteArray("release()")
                                   << QByteArray("QDBusPendingReply<>") << QByteArrayList();
        QTest::newRow("removeWindowProperties(QString)")
            << slot << QByteArray("removeWindowProperties(QString)")
            << QByteArray("QDBusPendingReply<bool>") << QByteArrayList { "winName" };
        QTest::newRow("renameWindow(QString,QString)")
            << slot << QByteArray("renameWindow(QString,QString)")
            << QByteArray("QDBusPendingReply<bool>") << QByteArrayList { "currentName", "newName" };
        QTest::newRow("setAllProperties(WinPropsList)")
            << slot << QByteArray("setAllProperties(WinPropsList)")
            << QByteArray("QDBusPendingReply<>") << QByteArrayList { "wpl" };
        QTest::newRow("setWindowProperties(QString,QString)")
            << slot << QByteArray("setWindowProperties(QString,QString)")
            << QByteArray("QDBusPendingReply<>") << QByteArrayList { "winName", "props" };
        QTest::newRow("setWindowProperties(WinProps)")
            << slot << QByteArray("setWindowProperties(WinProps)")
            << QByteArray("QDBusPendingReply<>") << QByteArrayList { "winProps" };
        QTest::newRow("winNames()")
            << slot << QByteArray("winNames()") << QByteArray("QDBusPendingReply<QStringList>")
            << QByteArrayList();
        QTest::newRow("getAllPropertiesAndGeneration()")
            << slot << QByteArray("getAllPropertiesAndGeneration()")
            << QByteArray("QDBusPendingReply<WinPropsList,qulonglong>") << QByteArrayList();
        QTest::newRow("setAllPropertiesIfUnchanged(WinPropsList,qulonglong)")
            << slot << QByteArray("setAllPropertiesIfUnchanged(WinPropsList,qulonglong)")
            << QByteArray("QDBusPendingReply<qulonglong>")
            << QByteArrayList { "wpl", "generation" };
        QTest::newRow("getPropertiesAndGeneration(QStringList)")
            << slot << QByteArray("getPropertiesAndGeneration(QStringList)")
            << QByteArray("QDBusPendingReply<WinPropsList,qulonglong>")
            << QByteArrayList { "winNames" };
        QTest::newRow("changePropertiesIfUnchanged(WinPropsList,QStringList,qulonglong)")
            << slot
            << QByteArray("changePropertiesIfUnchanged(WinPropsList,QStringList,qulonglong)")
            << QByteArray("QDBusPendingReply<qulonglong>")
            << QByteArrayList { "changed", "removed", "generation" };
    }

    void metaObject()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, signature);
        QFETCH(QByteArray, returnType);
        QFETCH(QByteArrayList, parameterNames);
        // Generated from the interface description: found by signature, whatever the order.
        const QMetaObject &meta = ApprcInterface::staticMetaObject;
        const QMetaMethod method = meta.method(meta.indexOfMethod(signature.constData()));
        QVERIFY2(method.isValid(), signature.constData());
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
        QCOMPARE(meta.superClass(), &ApprcProxy::staticMetaObject);
        QCOMPARE(meta.superClass()->superClass(), &QDBusAbstractInterface::staticMetaObject);
        QCOMPARE(meta.propertyCount(), meta.propertyOffset());
        QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
        QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
        QCOMPARE(meta.constructorCount(), 0);
        ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(),
                              QDBusConnection::sessionBus());
        QCOMPARE(client.interface(), QStringLiteral("org.kivo.Kivo.WinProps.Apprc"));
        QCOMPARE(client.qt_metacast("ApprcInterface"), static_cast<void *>(&client));
    }

    void replyOfOtherSignature_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("accepted");
        // Part of the message for the user.
        QTest::addColumn<QString>("reason");
        const QString expected = winPropsListSignature();
        QTest::newRow("records") << "odd-names" << true << QString();
        QTest::newRow("string array") << "wrong-signature" << false << expected;
        QTest::newRow("records of other types") << "wrong-record" << false << expected;
        QTest::newRow("struct of other types") << "other-struct" << false << expected;
        QTest::newRow("array, same field count") << "same-field-count" << false << expected;
        QTest::newRow("no argument") << "no-arguments" << false << expected;
        QTest::newRow("extra argument ignored") << "two-arguments" << true << QString();
        QTest::newRow("error") << "fetch-error" << false << "the collection is <i>locked</i>";
    }

    void replyOfOtherSignature()
    {
        QFETCH(QString, mode);
        QFETCH(bool, accepted);
        QFETCH(QString, reason);
        Recorder recorder(mode);
        QVERIFY(recorder.start());
        ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(),
                              QDBusConnection::sessionBus());
        const WinPropsBackend::Fetched fetched = client.fetchAll();
        QCOMPARE(fetched.ok, accepted);
        if (accepted) {
            WinPropsList delivered;
            for (const WinProps &props : Hostile::records(mode))
                delivered.append(Hostile::asDelivered(props));
            QCOMPARE(fetched.records, delivered);
        } else {
            QVERIFY(fetched.records.isEmpty());
            QVERIFY2(fetched.errorMessage.contains(reason), qPrintable(fetched.errorMessage));
        }
    }

    // The store waits for the answer and passes the service's message on.
    void storeAllWaitsForTheAnswer_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("error");
        QTest::newRow("stored") << "odd-names" << QString();
        QTest::newRow("refused") << "store-error" << Hostile::storeErrorMessage();
    }

    void storeAllWaitsForTheAnswer()
    {
        QFETCH(QString, mode);
        QFETCH(QString, error);
        Recorder recorder(mode);
        QVERIFY(recorder.start());
        ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(),
                              QDBusConnection::sessionBus());
        const WinPropsBackend::Stored stored = client.storeAll({ sampleRecord() }, nullptr);
        QCOMPARE(stored.ok, error.isNull());
        QCOMPARE(stored.errorMessage, error);
        QCOMPARE(recorder.service().stores(),
                 QList<QStringList>({ { QStringLiteral("sample;no_title;shadow=3") } }));
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
};

KIVO_TEST_MAIN(TestApprcInterface)
#include "tst_apprcinterface.moc"
