// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon/winpropsstore.h"
#include "platform/winprops/recordlines.h"
#include "platform/winprops/winpropsfields.h"
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/filetestutil.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/common/testrecords.h"
#include "tests/common/toolrun.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>

#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using Call = std::function<QDBusPendingCall(ApprcInterface &)>;
Q_DECLARE_METATYPE(Call)

namespace {

const QString invalidArgument = QStringLiteral("org.kivo.Kivo.WinProps.Error.InvalidArgument");
const QString tooLarge = QStringLiteral("org.kivo.Kivo.WinProps.Error.TooLarge");
const QString apprcInterface = QStringLiteral("org.kivo.Kivo.WinProps.Apprc");

const QStringList seed
    = { QStringLiteral("xterm;no_title;geometry=640x480+0+0;shadow=40"),
        QStringLiteral("a b;ontop"), QStringLiteral("Привет;sticky;transparency=0") };

QStringList texts(const QList<QVariantList> &signalArguments)
{
    QStringList result;
    for (const QVariantList &arguments : signalArguments)
        result.append(arguments.first().value<WinProps>().toString());
    return result;
}

QStringList firstArguments(const QList<QVariantList> &signalArguments)
{
    QStringList result;
    for (const QVariantList &arguments : signalArguments)
        result.append(arguments.first().toString());
    return result;
}

// A record as gdbus prints it, its members in the order of the property table; in a list only
// the first record's numbers carry their type.
QString gdbusText(const WinProps &props, bool typed)
{
    const auto quoted = [](const QString &text) { return QStringLiteral("'%1'").arg(text); };
    QStringList members = { quoted(props.winName()) };
    for (const WinPropsField &field : winPropsFields()) {
        const QVariant value = field.value(props);
        if (field.kind == WinPropsKind::Switch)
            members.append(value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        else if (field.kind == WinPropsKind::Number)
            members.append((typed ? QStringLiteral("uint32 ") : QString()) + value.toString());
        else
            members.append(quoted(value.toString()));
    }
    return QLatin1Char('(') + members.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// Records of the longest names, then one made to fit, taking exactly size bytes in a reply.
WinPropsList collectionOfWireSize(qint64 size)
{
    const int longest = WinProps::MaxTextLength;
    const auto alignedTo8 = [](qint64 offset) { return (offset + 7) / 8 * 8; };
    WinProps full = named(QString(longest, QLatin1Char('w')));
    const qint64 fullSize = wireSize({ full });
    WinPropsList records;
    qint64 used = 0;
    while (size - alignedTo8(used) > 2 * fullSize) {
        full.setWinName(QStringLiteral("%1").arg(records.size(), 8, 10, QLatin1Char('0'))
                        + QString(longest - 8, QLatin1Char('w')));
        records.append(full);
        used = alignedTo8(used) + fullSize;
    }
    // Strings end on a multiple of 4, and so does what is left: some length of the last
    // record's name or images takes it up exactly.
    const qint64 left = size - alignedTo8(used);
    WinProps last = named(QStringLiteral("last"));
    QString *const growing[] = { nullptr, &last.small_image, &last.large_image };
    for (QString *text : growing) {
        for (int length = 1; length <= longest; ++length) {
            if (text)
                *text = QString(length, QLatin1Char('i'));
            else
                last.setWinName(QString(length, QLatin1Char('z')));
            if (wireSize({ last }) == left)
                return records << last;
        }
    }
    qFatal("no collection of %lld bytes", size);
}

// A bare connection to the bus, with no library to read for it: it asks and never reads.
class SilentClient
{
public:
    ~SilentClient()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }

    bool connectToSessionBus()
    {
        const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        const QRegularExpressionMatch path = QRegularExpression("unix:(path|abstract)=([^,;]+)")
                                                 .match(QString::fromLatin1(address));
        sockaddr_un where = {};
        where.sun_family = AF_UNIX;
        const QByteArray name = path.captured(2).toLocal8Bit();
        const bool abstract = path.captured(1) == QLatin1String("abstract");
        if (!path.hasMatch() || name.size() + 2 > int(sizeof where.sun_path))
            return false;
        std::memcpy(where.sun_path + (abstract ? 1 : 0), name.constData(), size_t(name.size()));
        m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + (abstract ? 1 : 0)
                                           + size_t(name.size()) + (abstract ? 0 : 1));
        if (m_socket < 0 || ::connect(m_socket, reinterpret_cast<sockaddr *>(&where), length) != 0)
            return false;
        const QByteArray uid = QByteArray::number(::getuid()).toHex();
        char answer[256];
        return write(QByteArray(1, '\0') + "AUTH EXTERNAL " + uid + "\r\n")
            && ::read(m_socket, answer, sizeof answer) > 2 && std::strncmp(answer, "OK", 2) == 0
            && write("BEGIN\r\n")
            && call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                    "Hello");
    }

    // A method call without arguments, in the wire format of a little-endian message.
    bool call(const QByteArray &destination, const QByteArray &path, const QByteArray &interface,
              const QByteArray &member)
    {
        QByteArray fields;
        const auto padTo = [](QByteArray &bytes, int boundary) {
            bytes.append((boundary - bytes.size() % boundary) % boundary, '\0');
        };
        const auto field = [&](char code, char type, const QByteArray &value) {
            padTo(fields, 8);
            fields += QByteArray(1, code) + QByteArray(1, 1) + type + QByteArray(1, '\0');
            const quint32 size = quint32(value.size());
            fields += QByteArray(reinterpret_cast<const char *>(&size), 4) + value + '\0';
        };
        field(1, 'o', path);
        field(2, 's', interface);
        field(3, 's', member);
        field(6, 's', destination);
        const quint32 header[] = { 0, ++m_serial, quint32(fields.size()) };
        QByteArray message = QByteArray("l\1\0\1", 4)
            + QByteArray(reinterpret_cast<const char *>(header), sizeof header) + fields;
        padTo(message, 8);
        return write(message);
    }

private:
    bool write(const QByteArray &bytes)
    {
        return ::write(m_socket, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    int m_socket = -1;
    quint32 m_serial = 0;
};

// A change by hand: appended to the file, or saved as editors do, as a new file renamed over it.
void editByHand(const QString &path, const QStringList &lines, bool inPlace)
{
    QByteArray contents;
    for (const QString &line : lines) {
        contents += line.toUtf8();
        contents += '\n';
    }
    if (inPlace) {
        const QByteArray old = contentsOf(path);
        QFile file(path);
        if (!contents.startsWith(old) || !file.open(QIODevice::Append)
            || file.write(contents.mid(old.size())) != contents.size() - old.size())
            qFatal("cannot append to %s", qPrintable(path));
        return;
    }
    writeContents(path + QStringLiteral(".swp"), contents);
    if (::rename(QFile::encodeName(path + QStringLiteral(".swp")).constData(),
                 QFile::encodeName(path).constData())
        != 0)
        qFatal("cannot replace %s", qPrintable(path));
}

QStringList replaced(QStringList lines, int index, const QString &line)
{
    lines[index] = line;
    return lines;
}

} // namespace

class TestWinPropsd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerWinPropsTypes(); }

    void init()
    {
        m_service = std::make_unique<ServiceProcess>();
        QVERIFY(m_service->startWith(seed));
        m_client = std::make_unique<ApprcInterface>(WinPropsService::busName(),
                                                    WinPropsService::objectPath(),
                                                    QDBusConnection::sessionBus());
    }

    void cleanup()
    {
        m_client.reset();
        QVERIFY(m_service->stop());
        m_service.reset();
    }

    void getAllPropertiesReturnsTheStorage() { QCOMPARE(textsOf(all()), seed); }

    void setAllPropertiesReplacesAll()
    {
        QSignalSpy changed(m_client.get(), &ApprcInterface::changedWindowProperties);
        QSignalSpy removed(m_client.get(), &ApprcInterface::removedWindowProperties);
        WinProps highShadow = recordOf(QStringLiteral("new;sticky"));
        highShadow.shadow = 101;
        const WinPropsList records
            = { recordOf(seed.at(2)), highShadow, recordOf(QStringLiteral("a b;no_title")) };
        QVERIFY(succeeded(m_client->setAllProperties(records)));
        const QStringList expected = { seed.at(2), "new;sticky", "a b;no_title" };
        QCOMPARE(textsOf(all()), expected);
        QCOMPARE(m_service->readStorage(), expected);
        QTRY_COMPARE(texts(changed), (QStringList { "new;sticky", "a b;no_title" }));
        QCOMPARE(changed.first().first().value<WinProps>().shadow, WinProps::NotSet);
        QCOMPARE(firstArguments(removed), QStringList { "xterm" });
    }

    // Removals in the stored order, then the new and changed records in the given order;
    // records that stayed as they were are not announced, wherever they moved.
    void setAllPropertiesAnnouncesChanges_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QStringList>("removals");
        QTest::newRow("in place, one changed, two appended")
            << QStringList { seed.at(0), "a b;sticky;ontop", seed.at(2), "new;ontop", "z;sticky" }
            << QStringList { "a b;sticky;ontop", "new;ontop", "z;sticky" } << QStringList();
        QTest::newRow("last removed") << QStringList { seed.at(0), "a b;no_focus" }
                                      << QStringList { "a b;no_focus" } << QStringList { "Привет" };
        QTest::newRow("first removed, rest changed")
            << QStringList { "a b;sticky", "Привет;ontop" }
            << QStringList { "a b;sticky", "Привет;ontop" } << QStringList { "xterm" };
        QTest::newRow("reversed") << QStringList { seed.at(2), seed.at(1), seed.at(0) }
                                  << QStringList() << QStringList();
    }

    void setAllPropertiesAnnouncesChanges()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, changes);
        QFETCH(QStringList, removals);
        QSignalSpy changed(m_client.get(), &ApprcInterface::changedWindowProperties);
        QSignalSpy removed(m_client.get(), &ApprcInterface::removedWindowProperties);
        WinPropsList records;
        for (const QString &line : qAsConst(lines))
            records.append(recordOf(line));
        QVERIFY(succeeded(m_client->setAllProperties(records)));
        QCOMPARE(textsOf(all()), lines);
        // Signals arrive in order: once the sentinel's is here, any other would be too.
        QVERIFY(succeeded(m_client->setWindowProperties(QStringLiteral("sentinel"), QString())));
        QTRY_COMPARE(texts(changed), changes + QStringList { "sentinel" });
        QCOMPARE(firstArguments(removed), removals);
    }

    // A client waiting for its reply does not wait behind the signals of its change.
    void replyComesBeforeSignals()
    {
        QObject listener;
        QStringList arrivals;
        connect(m_client.get(), &ApprcInterface::changedWindowProperties, &listener,
                [&arrivals] { arrivals << QStringLiteral("signal"); });
        QDBusPendingCallWatcher watcher(m_client->setAllProperties(
            { recordOf(QStringLiteral("new;ontop")), recordOf(QStringLiteral("z;sticky")) }));
        connect(&watcher, &QDBusPendingCallWatcher::finished, &listener,
                [&arrivals] { arrivals << QStringLiteral("reply"); });
        QTRY_COMPARE(arrivals.size(), 3);
        QCOMPARE(arrivals, (QStringList { "reply", "signal", "signal" }));
    }

    void setAllPropertiesEmpty()
    {
        QSignalSpy removed(m_client.get(), &ApprcInterface::removedWindowProperties);
        QVERIFY(succeeded(m_client->setAllProperties({})));
        QVERIFY(all().isEmpty());
        QCOMPARE(contentsOf(m_service->storagePath()), QByteArray());
        QTRY_COMPARE(removed.count(), seed.size());
    }

    void getWindowProperties_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("stored") << "a b" << seed.at(1);
        QTest::newRow("non-ASCII") << "Привет" << seed.at(2);
        QTest::newRow("missing: nothing set") << "nobody"
                                              << "nobody";
        QTest::newRow("case matters") << "XTERM"
                                      << "XTERM";
    }

    void getWindowProperties()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QDBusPendingReply<WinProps> reply = m_client->getWindowProperties(name);
        QVERIFY(succeeded(reply));
        QCOMPARE(reply.value().toString(), expected);
    }

    void setWindowPropertiesText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("props");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("new name appended")
            << "new"
            << "no_border;transparency=20"
            << seed + QStringList { "new;no_border;transparency=20" };
        QTest::newRow("stored name replaced in place")
            << "a b"
            << "sticky;ontop=off" << replaced(seed, 1, "a b;sticky");
        QTest::newRow("no properties") << "bare" << QString() << seed + QStringList { "bare" };
        QTest::newRow("name with escapes")
            << "x;y=z\\"
            << "small_image=p\\;q" << seed + QStringList { "x\\;y\\=z\\\\;small_image=p\\;q" };
        QTest::newRow("unset numbers")
            << "xterm"
            << "shadow=-1;transparency=;no_title" << replaced(seed, 0, "xterm;no_title");
    }

    void setWindowPropertiesText()
    {
        QFETCH(QString, name);
        QFETCH(QString, props);
        QFETCH(QStringList, stored);
        QSignalSpy changed(m_client.get(), &ApprcInterface::changedWindowProperties);
        QVERIFY(succeeded(m_client->setWindowProperties(name, props)));
        QCOMPARE(textsOf(all()), stored);
        QCOMPARE(m_service->readStorage(), stored);
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().value<WinProps>().winName(), name);
    }

    void setWindowPropertiesRecord()
    {
        QSignalSpy changed(m_client.get(), &ApprcInterface::changedWindowProperties);
        WinProps props = named(QStringLiteral("a b"));
        props.shadow = 150;
        props.transparency = 30;
        props.large_image = QStringLiteral("/usr/share/icons/a b.png");
        QVERIFY(succeeded(m_client->setWindowProperties(props)));
        const QString expected = QStringLiteral("a b;large_image=/usr/share/icons/a b.png;"
                                                "transparency=30");
        QDBusPendingReply<WinProps> stored = m_client->getWindowProperties(props.winName());
        QVERIFY(succeeded(stored));
        QCOMPARE(stored.value().shadow, WinProps::NotSet);
        QCOMPARE(stored.value().toString(), expected);
        QCOMPARE(m_service->readStorage(), replaced(seed, 1, expected));
        QTRY_COMPARE(texts(changed), QStringList { expected });
    }

    void unchangedRecordIsNotAChange()
    {
        QSignalSpy changed(m_client.get(), &ApprcInterface::changedWindowProperties);
        QVERIFY(succeeded(m_client->setWindowProperties(recordOf(seed.at(0)))));
        QVERIFY(succeeded(m_client->setWindowProperties(QStringLiteral("sentinel"), QString())));
        QTRY_COMPARE(texts(changed), QStringList { "sentinel" });
    }

    void everyChangeAdvancesTheGeneration_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<bool>("changes");
        auto setAll = [](const QStringList &lines) {
            WinPropsList records;
            for (const QString &line : lines)
                records.append(recordOf(line));
            return Call([records](ApprcInterface &c) { return c.setAllProperties(records); });
        };
        QTest::newRow("all: same records") << setAll(seed) << false;
        QTest::newRow("all: other records") << setAll({ "n;ontop" }) << true;
        QTest::newRow("all: bad input") << setAll({ "a", "a" }) << false;
        QTest::newRow("text: new name")
            << Call([](ApprcInterface &c) { return c.setWindowProperties("n", "ontop"); }) << true;
        QTest::newRow("text: same values")
            << Call([](ApprcInterface &c) { return c.setWindowProperties("a b", "ontop"); })
            << false;
        QTest::newRow("record: other values")
            << Call([](ApprcInterface &c) { return c.setWindowProperties(recordOf("a b;sticky")); })
            << true;
        QTest::newRow("remove: stored")
            << Call([](ApprcInterface &c) { return c.removeWindowProperties("a b"); }) << true;
        QTest::newRow("remove: missing")
            << Call([](ApprcInterface &c) { return c.removeWindowProperties("n"); }) << false;
        QTest::newRow("rename") << Call([](ApprcInterface &c) {
            return c.renameWindow("a b", "n");
        }) << true;
        QTest::newRow("rename onto a stored name")
            << Call([](ApprcInterface &c) { return c.renameWindow("a b", "xterm"); }) << false;
        QTest::newRow("read only") << Call([](ApprcInterface &c) { return c.winNames(); }) << false;
    }

    void everyChangeAdvancesTheGeneration()
    {
        QFETCH(Call, call);
        QFETCH(bool, changes);
        const qulonglong before = generation();
        QDBusPendingCall pending = call(*m_client);
        pending.waitForFinished();
        QCOMPARE(generation() != before, changes);
    }

    // Another client stores between this client's fetch and its conditional store.
    void conditionalStore_data()
    {
        QTest::addColumn<bool>("changedMeanwhile");
        QTest::newRow("unchanged") << false;
        QTest::newRow("changed meanwhile") << true;
    }

    void conditionalStore()
    {
        QFETCH(bool, changedMeanwhile);
        QDBusPendingReply<WinPropsList, qulonglong> fetched
            = m_client->getAllPropertiesAndGeneration();
        QVERIFY(succeeded(fetched));
        QCOMPARE(textsOf(fetched.argumentAt<0>()), seed);
        if (changedMeanwhile)
            QVERIFY(succeeded(m_client->removeWindowProperties("xterm")));
        const QStringList before = m_service->readStorage();

        QDBusPendingReply<qulonglong> stored = m_client->setAllPropertiesIfUnchanged(
            { recordOf("mine;ontop") }, fetched.argumentAt<1>());
        stored.waitForFinished();
        QCOMPARE(stored.isError(), changedMeanwhile);
        QCOMPARE(m_service->readStorage(), changedMeanwhile ? before : QStringList("mine;ontop"));
        if (changedMeanwhile)
            QCOMPARE(stored.error().name(), collectionChangedError());
        else
            QCOMPARE(stored.value(), generation());
    }

    // The client's own store: refused after another client's, then done on what it read anew.
    void clientStoresOnlyOnWhatItRead()
    {
        const WinPropsBackend::Fetched read = m_client->fetchAll();
        QVERIFY(read.ok);
        QVERIFY(succeeded(m_client->removeWindowProperties("xterm")));
        const WinPropsBackend::Stored refused
            = m_client->storeAll({ recordOf("mine;ontop") }, &read);
        QVERIFY(!refused.ok);
        QVERIFY(refused.changedElsewhere);
        QCOMPARE(m_service->readStorage(), seed.mid(1));
        const WinPropsBackend::Fetched again = m_client->fetchAll();
        QVERIFY(again.ok);
        QVERIFY(m_client->storeAll({ recordOf("mine;ontop") }, &again).ok);
        QCOMPARE(m_service->readStorage(), QStringList("mine;ontop"));
    }

    void removeWindowProperties_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::newRow("stored") << "a b" << true;
        QTest::newRow("missing") << "nobody" << false;
        QTest::newRow("prefix of a name") << "a" << false;
    }

    void removeWindowProperties()
    {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        QSignalSpy spy(m_client.get(), &ApprcInterface::removedWindowProperties);
        QDBusPendingReply<bool> reply = m_client->removeWindowProperties(name);
        QVERIFY(succeeded(reply));
        QCOMPARE(reply.value(), removed);
        QStringList expected = seed;
        if (removed)
            expected.removeAt(1);
        QCOMPARE(textsOf(all()), expected);
        QCOMPARE(m_service->readStorage(), expected);
        if (removed)
            QTRY_COMPARE(firstArguments(spy), QStringList { name });
        else
            QVERIFY(spy.isEmpty());
    }

    void renameWindow_data()
    {
        QTest::addColumn<QString>("currentName");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("renamed") << "a b"
                                 << "c;d" << true;
        QTest::newRow("current name missing") << "nobody"
                                              << "c" << false;
        QTest::newRow("new name taken") << "a b"
                                        << "xterm" << false;
        QTest::newRow("same name") << "a b"
                                   << "a b" << false;
    }

    void renameWindow()
    {
        QFETCH(QString, currentName);
        QFETCH(QString, newName);
        QFETCH(bool, renamed);
        QSignalSpy spy(m_client.get(), &ApprcInterface::windowRenamed);
        QDBusPendingReply<bool> reply = m_client->renameWindow(currentName, newName);
        QVERIFY(succeeded(reply));
        QCOMPARE(reply.value(), renamed);
        const QStringList expected = renamed ? replaced(seed, 1, "c\\;d;ontop") : seed;
        QCOMPARE(textsOf(all()), expected);
        QCOMPARE(m_service->readStorage(), expected);
        if (renamed) {
            QTRY_COMPARE(spy.count(), 1);
            QCOMPARE(spy.first(), (QVariantList { currentName, newName }));
        } else {
            QVERIFY(spy.isEmpty());
        }
    }

    void winNames()
    {
        QDBusPendingReply<QStringList> reply = m_client->winNames();
        QVERIFY(succeeded(reply));
        QCOMPARE(reply.value(), (QStringList { "xterm", "a b", "Привет" }));
    }

    void badInput_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QString>("messagePart");
        auto setAll = [](const WinPropsList &records) {
            return Call([records](ApprcInterface &c) { return c.setAllProperties(records); });
        };
        auto setText = [](const QString &name, const QString &props) {
            return Call([=](ApprcInterface &c) { return c.setWindowProperties(name, props); });
        };
        auto setRecord = [](const WinProps &props) {
            return Call([props](ApprcInterface &c) { return c.setWindowProperties(props); });
        };
        WinProps tabImage = named(QStringLiteral("t"));
        tabImage.small_image = QStringLiteral("a\tb");
        WinProps crImage = named(QStringLiteral("t"));
        crImage.large_image = QStringLiteral("x\r");
        WinProps badGeometry = named(QStringLiteral("g"));
        badGeometry.geometry = QStringLiteral("10x10+1");

        QTest::newRow("all: empty name") << setAll({ named("ok"), named("") }) << "empty";
        QTest::newRow("all: repeated name")
            << setAll({ named("a"), named("b"), named("a") }) << "Record 3";
        QTest::newRow("all: control character in name") << setAll({ named("x\ny") }) << "U+000a";
        QTest::newRow("all: control character in value") << setAll({ tabImage }) << "U+0009";
        QTest::newRow("all: geometry") << setAll({ badGeometry }) << "10x10+1";
        QTest::newRow("all: name too long")
            << setAll({ named("ok"), named(QString(WinProps::MaxTextLength + 1, 'n')) })
            << "4097 characters long";
        QTest::newRow("text: empty name") << setText("", "ontop") << "empty";
        QTest::newRow("text: control character in name") << setText("a\x01", "") << "U+0001";
        QTest::newRow("text: control character in value")
            << setText("a", "small_image=x\ny") << "U+000a";
        QTest::newRow("text: unknown key") << setText("a", "bogus") << "bogus";
        QTest::newRow("text: number above 100") << setText("a", "shadow=101") << "101";
        QTest::newRow("text: geometry") << setText("a", "geometry=1x1") << "1x1";
        QTest::newRow("text: image too long")
            << setText("a", "small_image=" + QString(5000, 'i')) << "5000 characters long";
        QTest::newRow("record: empty name") << setRecord(named("")) << "empty";
        QTest::newRow("record: control character in value") << setRecord(crImage) << "U+000d";
        WinProps longImage = named(QStringLiteral("t"));
        longImage.large_image = QString(WinProps::MaxTextLength + 1, QLatin1Char('i'));
        QTest::newRow("record: geometry") << setRecord(badGeometry) << "10x10+1";
        QTest::newRow("record: image too long") << setRecord(longImage) << "4097 characters long";
        QTest::newRow("get: empty name")
            << Call([](ApprcInterface &c) { return c.getWindowProperties(QString()); }) << "empty";
        QTest::newRow("remove: empty name")
            << Call([](ApprcInterface &c) { return c.removeWindowProperties(QString()); })
            << "empty";
        QTest::newRow("remove: control character")
            << Call([](ApprcInterface &c) { return c.removeWindowProperties("xterm\n"); })
            << "U+000a";
        QTest::newRow("rename: empty current name")
            << Call([](ApprcInterface &c) { return c.renameWindow(QString(), "b"); }) << "empty";
        QTest::newRow("rename: empty new name")
            << Call([](ApprcInterface &c) { return c.renameWindow("a b", QString()); }) << "empty";
        QTest::newRow("rename: control character")
            << Call([](ApprcInterface &c) { return c.renameWindow("a b", "a\x1f"); }) << "U+001f";
    }

    void badInput()
    {
        QFETCH(Call, call);
        QFETCH(QString, messagePart);
        QSignalSpy changed(m_client.get(), &ApprcInterface::changedWindowProperties);
        QSignalSpy removed(m_client.get(), &ApprcInterface::removedWindowProperties);
        QSignalSpy renamed(m_client.get(), &ApprcInterface::windowRenamed);
        const QByteArray file = contentsOf(m_service->storagePath());

        QDBusPendingCall pending = call(*m_client);
        pending.waitForFinished();
        QVERIFY(pending.isError());
        QCOMPARE(pending.error().name(), invalidArgument);
        QVERIFY2(pending.error().message().contains(messagePart),
                 qPrintable(pending.error().message()));

        QCOMPARE(textsOf(all()), seed);
        QCOMPARE(contentsOf(m_service->storagePath()), file);
        // Signals arrive in order: once the sentinel's is here, any other would be too.
        QVERIFY(succeeded(m_client->setWindowProperties(QStringLiteral("sentinel"), QString())));
        QTRY_COMPARE(texts(changed), QStringList { "sentinel" });
        QVERIFY(removed.isEmpty());
        QVERIFY(renamed.isEmpty());
    }

    void rejectedLinesKeptAside()
    {
        QVERIFY(m_service->stop());
        const QByteArray original("xterm;ontop\nbroken;nokey\n\nxterm;sticky\ngood\n");
        QFile file(m_service->storagePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(original);
        file.close();
        m_service->process().setProcessChannelMode(QProcess::SeparateChannels);
        QVERIFY(m_service->start());

        QCOMPARE(textsOf(all()), (QStringList { "xterm;ontop", "good" }));
        QByteArray stderrBytes;
        QVERIFY(QTest::qWaitFor([&] {
            stderrBytes += m_service->process().readAllStandardError();
            return stderrBytes.contains("kept in");
        }));
        const QString errors = QString::fromUtf8(stderrBytes);
        const QString path = m_service->storagePath();
        QVERIFY2(errors.contains(path + QStringLiteral(":2: ")), qPrintable(errors));
        QVERIFY2(errors.contains(path + QStringLiteral(":4: ")), qPrintable(errors));
        const QFileInfo storage(path);
        const QStringList sideFiles = storage.dir().entryList(
            { storage.fileName() + QStringLiteral(".rejected-*") }, QDir::Files);
        QCOMPARE(sideFiles.size(), 1);
        const QString sidePath = storage.dir().filePath(sideFiles.first());
        QVERIFY2(errors.contains(sidePath), qPrintable(errors));
        const QByteArray kept("broken;nokey\nxterm;sticky\n");
        QCOMPARE(contentsOf(sidePath), kept);

        QVERIFY(succeeded(m_client->setAllProperties({ named(QStringLiteral("other")) })));
        QCOMPARE(m_service->readStorage(), QStringList { "other" });
        QCOMPARE(contentsOf(sidePath), kept);
    }

    // What is no regular file is refused at once, before the bus name is taken; a file that is
    // no storage file is kept aside whole and the daemon starts empty.
    void storageAtStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("named pipe") << "pipe"
                                    << "it is a named pipe, not a regular file";
        QTest::newRow("folder") << "folder"
                                << "it is a folder, not a regular file";
        QTest::newRow("link to /dev/zero") << "zero link"
                                           << "it is a device, not a regular file";
        QTest::newRow("script, no storage file") << "text"
                                                 << "was not loaded; its contents are kept";
    }

    void storageAtStart()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QVERIFY(m_service->stop());
        const QString path = m_service->storagePath();
        QVERIFY(QFile::remove(path));
        const QByteArray text("#!/bin/sh\nxterm -e top; echo done\n\tsleep 1\n");
        if (kind == QLatin1String("text"))
            m_service->writeStorage(QString::fromUtf8(text).split('\n').mid(0, 3));
        else
            QVERIFY(makeFileOfKind(path, kind));
        QProcess daemon;
        daemon.start(ServiceProcess::program(), { QStringLiteral("--storage"), path });
        if (kind == QLatin1String("text")) {
            QVERIFY(ServiceProcess::waitForService(true));
            QVERIFY(all().isEmpty());
            daemon.terminate();
        }
        QVERIFY(daemon.waitForFinished(10000));
        const QString errors = QString::fromUtf8(daemon.readAllStandardError());
        QVERIFY2(errors.startsWith(QStringLiteral("kivo-winpropsd: ")) && errors.contains(path),
                 qPrintable(errors));
        QVERIFY2(errors.contains(message), qPrintable(errors));
        QCOMPARE(daemon.exitCode(), kind == QLatin1String("text") ? 0 : 1);
        if (kind != QLatin1String("text"))
            return;
        const QStringList sideFiles = QFileInfo(path).dir().entryList(
            { QFileInfo(path).fileName() + QStringLiteral(".rejected-*") }, QDir::Files);
        QCOMPARE(sideFiles.size(), 1);
        QCOMPARE(contentsOf(QFileInfo(path).dir().filePath(sideFiles.first())), text);
        QCOMPARE(contentsOf(path), text);
    }

    // A collection beyond what one reply can carry, on disk already: the daemon starts, says why
    // it cannot send it, refuses to let it grow and lets it shrink.
    void collectionBeyondTheReplyLimit()
    {
        WinPropsList records = collectionOfWireSize(MaxWireArraySize);
        QCOMPARE(wireSize(records), MaxWireArraySize);
        records.append(recordOf(QStringLiteral("over;ontop")));
        QVERIFY(m_service->stop());
        writeContents(m_service->storagePath(), recordLines(records));
        QVERIFY(m_service->start());

        QDBusPendingReply<WinPropsList> reply = m_client->getAllProperties();
        reply.waitForFinished();
        QVERIFY(reply.isError());
        QCOMPARE(reply.error().name(), tooLarge);
        QVERIFY2(reply.error().message().contains(QString::number(wireSize(records))),
                 qPrintable(reply.error().message()));
        QDBusPendingCall more = m_client->setWindowProperties(QStringLiteral("more"), "ontop");
        more.waitForFinished();
        QCOMPARE(more.error().name(), tooLarge);
        QVERIFY(succeeded(m_client->removeWindowProperties(QStringLiteral("over"))));
        records.removeLast();
        QCOMPARE(contentsOf(m_service->storagePath()), recordLines(records));
    }

    // Calls of names far beyond any limit, sent at once by a hostile client: refused, and the
    // next ordinary call is answered at once. libdbus stopped reading at 63 MiB held.
    void oversizedCallsLeaveItListening_data()
    {
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("bytes");
        QTest::newRow("one of 70 MB") << 1 << 70000000;
        QTest::newRow("two of 40 MB") << 2 << 40000000;
        QTest::newRow("one of 120 MB") << 1 << 120000000;
    }

    void oversizedCallsLeaveItListening()
    {
        QFETCH(int, calls);
        QFETCH(int, bytes);
        QList<QDBusPendingCall> hostile;
        for (int i = 0; i < calls; ++i) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                WinPropsService::busName(), WinPropsService::objectPath(), apprcInterface,
                QStringLiteral("setWindowProperties"));
            call << QString(bytes, QLatin1Char('n')) << QString();
            hostile.append(QDBusConnection::sessionBus().asyncCall(call));
        }
        m_client->setTimeout(10000);
        QVERIFY(succeeded(m_client->winNames()));
        for (const QDBusPendingCall &call : qAsConst(hostile)) {
            QVERIFY(call.isFinished());
            QCOMPARE(call.error().name(), invalidArgument);
        }
    }

    // The tool reads the largest reply there is, then hears the answer to its store.
    void toolHearsItsStoreAfterTheLargestReply()
    {
        WinPropsList records = collectionOfWireSize(MaxWireArraySize);
        QVERIFY(m_service->stop());
        writeContents(m_service->storagePath(), recordLines(records));
        QVERIFY(m_service->start());
        const ToolRun run = runTool({ "--quiet", "--delete", records.last().winName() });
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        records.removeLast();
        QCOMPARE(contentsOf(m_service->storagePath()), recordLines(records));
    }

    void handEditIsReadAgain_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<QStringList>("edited");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QStringList>("removals");
        QTest::newRow("appended in place") << true << seed + QStringList { "hand;no_border" }
                                           << QStringList { "hand;no_border" } << QStringList();
        QTest::newRow("saved as editors do")
            << false << QStringList { seed.at(0), "a b;sticky", "hand;no_border" }
            << QStringList { "a b;sticky", "hand;no_border" } << QStringList { "Привет" };
    }

    // Read again as soon as it changes, announced like any other change; a store after it keeps
    // it.
    void handEditIsReadAgain()
    {
        QFETCH(bool, inPlace);
        QFETCH(QStringList, edited);
        QFETCH(QStringList, changes);
        QFETCH(QStringList, removals);
        QSignalSpy changed(m_client.get(), &ApprcInterface::changedWindowProperties);
        QSignalSpy removed(m_client.get(), &ApprcInterface::removedWindowProperties);
        editByHand(m_service->storagePath(), edited, inPlace);
        QTRY_COMPARE(texts(changed), changes);
        QCOMPARE(firstArguments(removed), removals);
        QCOMPARE(textsOf(all()), edited);
        QVERIFY(succeeded(m_client->setWindowProperties(QStringLiteral("new"), "ontop")));
        QCOMPARE(m_service->readStorage(), edited + QStringList { "new;ontop" });
    }

    // Saved as editors may save it, or taken away: what can be read is served, and a file that
    // holds no records, or none at all, does not empty a collection the daemon holds.
    void handEditKeepsWhatItCanRead_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QStringList>("served");
        const QByteArray crlf = recordLines(recordsOf(seed)).replace("\n", "\r\n");
        QTest::newRow("CR LF line ends") << crlf + "hand;no_border\r\n"
                                         << QString() << seed + QStringList { "hand;no_border" };
        QTest::newRow("byte-order mark")
            << "\xEF\xBB\xBF" + recordLines(recordsOf(seed)) << QString() << seed;
        QTest::newRow("a script saved over it")
            << QByteArray("#!/bin/sh\nxterm -e top; echo done\n\tsleep 1\n") << QString() << seed;
        QTest::newRow("file removed") << QByteArray() << "file" << seed;
        QTest::newRow("folder removed") << QByteArray() << "folder" << seed;
    }

    void handEditKeepsWhatItCanRead()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, removed);
        QFETCH(QStringList, served);
        QVERIFY(restartInFolderOfItsOwn());
        const QString path = m_service->storagePath();
        if (removed == QLatin1String("folder"))
            QVERIFY(QDir(QFileInfo(path).path()).removeRecursively());
        else if (removed == QLatin1String("file"))
            QVERIFY(QFile::remove(path));
        else
            writeContents(path, contents);
        QCOMPARE(textsOf(all()), served);
        QVERIFY(succeeded(m_client->setWindowProperties(QStringLiteral("new"), "ontop")));
        QCOMPARE(m_service->readStorage(), served + QStringList { "new;ontop" });
    }

    // The watch follows the folder away and back: a file put back is read again unasked.
    void storageFolderPutBackIsWatched()
    {
        QVERIFY(restartInFolderOfItsOwn());
        QSignalSpy changed(m_client.get(), &ApprcInterface::changedWindowProperties);
        const QString path = m_service->storagePath();
        const QString folder = QFileInfo(path).path();
        QVERIFY(QDir(folder).removeRecursively());
        QCOMPARE(textsOf(all()), seed);
        QVERIFY(QDir().mkpath(folder));
        writeContents(path, recordLines(recordsOf(seed)) + "back;ontop\n");
        QTRY_COMPARE(texts(changed), QStringList { "back;ontop" });
        editByHand(path, seed + QStringList { "back;ontop", "again;sticky" }, true);
        QTRY_COMPARE(texts(changed), (QStringList { "back;ontop", "again;sticky" }));
    }

    // A store that arrives before the daemon has seen a hand edit keeps both.
    void storeRacingHandEditKeepsBoth_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QStringList>("stored");
        const QStringList edited = seed + QStringList { "hand;no_border" };
        QTest::newRow("one record")
            << Call([](ApprcInterface &c) { return c.setWindowProperties("new", "ontop"); })
            << edited + QStringList { "new;ontop" };
        QTest::newRow("removal") << Call([](ApprcInterface &c) {
            return c.removeWindowProperties("xterm");
        }) << QStringList(edited.mid(1));
        QTest::newRow("renaming") << Call([](ApprcInterface &c) {
            return c.renameWindow("a b", "c");
        }) << replaced(edited, 1, "c;ontop");
    }

    void storeRacingHandEditKeepsBoth()
    {
        QFETCH(Call, call);
        QFETCH(QStringList, stored);
        editByHand(m_service->storagePath(), seed + QStringList { "hand;no_border" }, false);
        QVERIFY(succeeded(call(*m_client)));
        QCOMPARE(m_service->readStorage(), stored);
        QCOMPARE(textsOf(all()), stored);
    }

    // A client that asks for a large collection again and again, and never reads the answers,
    // does not keep the service from answering others.
    void aClientThatNeverReadsHoldsUpNoOne()
    {
#ifdef KIVO_SANITIZED
        const int count = 20000;
#else
        const int count = 200000;
#endif
        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines.append(QStringLiteral("window%1;ontop;geometry=300x200+10+10").arg(i));
        QVERIFY(m_service->stop());
        QVERIFY(m_service->startWith(lines));
        // What one reply of the collection takes here, from the call to the last byte read.
        m_client->setTimeout(60000);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(succeeded(m_client->getAllProperties()));
        const qint64 oneReply = clock.elapsed();

        SilentClient silent;
        QVERIFY(silent.connectToSessionBus());
        for (int i = 0; i < 10; ++i) {
            QVERIFY(silent.call(WinPropsService::busName().toLatin1(),
                                WinPropsService::objectPath().toLatin1(), apprcInterface.toLatin1(),
                                "getAllProperties"));
        }
        clock.start();
        QVERIFY(succeeded(m_client->getWindowProperties(QStringLiteral("window1"))));
        // Answered before the ten replies are all built: within the time of two.
        QVERIFY2(clock.elapsed() < 2 * oneReply,
                 qPrintable(
                     QStringLiteral("%1 ms, one reply %2 ms").arg(clock.elapsed()).arg(oneReply)));
    }

    // What the service keeps open does not grow with the rate of stores: a burst under a low
    // limit of open files is taken whole.
    void burstOfStoresUnderALowFileLimit()
    {
        QVERIFY(m_service->stop());
        rlimit own = {};
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &own) == 0);
        rlimit low = own;
        low.rlim_cur = 64;
        // Inherited by the service started now; this process has its own back at once.
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
        const bool started = m_service->startWith(seed);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &own) == 0);
        QVERIFY(started);
        QList<QDBusPendingCall> calls;
        for (int i = 0; i < 500; ++i)
            calls.append(m_client->setWindowProperties(QStringLiteral("burst%1").arg(i % 7),
                                                       QStringLiteral("shadow=%1").arg(i % 100)));
        for (QDBusPendingCall &call : calls)
            QVERIFY2(succeeded(call), qPrintable(call.error().message()));
        QCOMPARE(textsOf(all()).size(), seed.size() + 7);
    }

    // The memory a large refused call took is given back once it is done.
    void largeRefusedCallGivesItsMemoryBack()
    {
#ifdef KIVO_SANITIZED
        QSKIP("The sanitizer's allocator keeps freed memory in quarantine.");
#endif
        const qint64 before = TestEnvironment::residentKilobytes(m_service->process().processId());
        WinPropsList many;
        for (int i = 0; i < 200000; ++i)
            many.append(WinProps(QStringLiteral("many%1;ontop;geometry=10x10+1+1").arg(i)));
        many.append(many.first()); // a name given twice: refused
        QVERIFY(!succeeded(m_client->setAllProperties(many)));
        QTRY_VERIFY_WITH_TIMEOUT(
            TestEnvironment::residentKilobytes(m_service->process().processId()) < before + 20000,
            10000);
    }

    // A file its owner made read-only is left as it is, and the store is refused in words.
    void readOnlyStorageIsNotReplaced()
    {
        const QString path = m_service->storagePath();
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        const QDBusPendingCall call = m_client->setWindowProperties("new", "ontop");
        QVERIFY(!succeeded(call));
        QCOMPARE(call.error().name(), QStringLiteral("org.kivo.Kivo.WinProps.Error.Storage"));
        QVERIFY2(call.error().message().contains("it is read-only"),
                 qPrintable(call.error().message()));
        QVERIFY(!(QFile::permissions(path) & QFileDevice::WriteOwner));
        QCOMPARE(m_service->readStorage(), seed);
        QCOMPARE(textsOf(all()), seed);
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(succeeded(m_client->setWindowProperties("new", "ontop")));
    }

    void defaultStorageIsPrivate()
    {
        QVERIFY(m_service->stop());
        const QString folder = TestEnvironment::root() + QStringLiteral("/config/kivo");
        QProcess daemon;
        daemon.setProcessChannelMode(QProcess::ForwardedChannels);
        daemon.start(ServiceProcess::program(), QStringList());
        QVERIFY(ServiceProcess::waitForService(true));
        QVERIFY(all().isEmpty());
        QCOMPARE(modeOf(folder), -1);

        QVERIFY(succeeded(m_client->setWindowProperties(QStringLiteral("xterm"), "ontop")));
        QCOMPARE(contentsOf(folder + QStringLiteral("/winprops")), QByteArray("xterm;ontop\n"));
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(folder + QStringLiteral("/winprops")), 0600);
        daemon.terminate();
        QVERIFY(daemon.waitForFinished());
        QCOMPARE(daemon.exitCode(), 0);
        QVERIFY(ServiceProcess::waitForService(false));
    }

    void exitWhenIdleWaitsForReferences()
    {
        QVERIFY(m_service->stop());
        QVERIFY(m_service->start({ QStringLiteral("--exit-when-idle"), QStringLiteral("1") }));
        QVERIFY(succeeded(m_client->addRef()));
        QVERIFY(succeeded(m_client->addRef()));
        QVERIFY(succeeded(m_client->release()));
        // Holding a reference keeps it running past the idle time.
        QTest::qWait(2000);
        QCOMPARE(m_service->process().state(), QProcess::Running);
        QVERIFY(succeeded(m_client->release()));
        QVERIFY(m_service->process().waitForFinished(10000));
        QCOMPARE(m_service->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_service->process().exitCode(), 0);
    }

    void exitWhenIdleForgetsVanishedClients()
    {
        QVERIFY(m_service->stop());
        QVERIFY(m_service->start({ QStringLiteral("--exit-when-idle"), QStringLiteral("1") }));
        const QString connectionName = QStringLiteral("vanishing client");
        {
            const QDBusConnection other
                = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
            ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(), other);
            QVERIFY(succeeded(client.addRef()));
        }
        QDBusConnection::disconnectFromBus(connectionName);
        QVERIFY(m_service->process().waitForFinished(10000));
        QCOMPARE(m_service->process().exitCode(), 0);
    }

    void releaseWithoutAddRefIsAnError()
    {
        QDBusPendingReply<> reply = m_client->release();
        reply.waitForFinished();
        QVERIFY(reply.isError());
        QCOMPARE(reply.error().name(),
                 QStringLiteral("org.kivo.Kivo.WinProps.Error.NotReferenced"));
    }

    void exitsCleanlyOnSignal_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }

    void exitsCleanlyOnSignal()
    {
        QFETCH(int, signalNumber);
        QCOMPARE(::kill(pid_t(m_service->process().processId()), signalNumber), 0);
        QVERIFY(m_service->process().waitForFinished(10000));
        QCOMPARE(m_service->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_service->process().exitCode(), 0);
        QVERIFY(ServiceProcess::waitForService(false));
        QCOMPARE(m_service->readStorage(), seed);
    }

    // Losing its bus ends the daemon, never silently.
    void saysWhyWhenTheBusEnds()
    {
        QProcess bus;
        bus.start(QStringLiteral("dbus-daemon"),
                  { QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                    QStringLiteral("--config-file=") + QStringLiteral(KIVO_TEST_BUS_CONFIG) });
        QVERIFY(bus.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        const QDBusConnection other
            = QDBusConnection::connectToBus(address, QStringLiteral("bus that ends"));
        QProcess daemon;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        daemon.setProcessEnvironment(environment);
        daemon.start(ServiceProcess::program(),
                     { QStringLiteral("--storage"), m_service->storagePath() + ".other" });
        QVERIFY(QTest::qWaitFor([&] {
            return other.interface()->isServiceRegistered(WinPropsService::busName()).value();
        }));
        QDBusConnection::disconnectFromBus(QStringLiteral("bus that ends"));
        bus.terminate();
        QVERIFY(bus.waitForFinished(10000));
        QVERIFY(daemon.waitForFinished(10000));
        QCOMPARE(daemon.exitCode(), 0);
        const QString errors = QString::fromUtf8(daemon.readAllStandardError());
        QVERIFY2(errors.contains(
                     QStringLiteral("kivo-winpropsd: The connection to the session bus ended")),
                 qPrintable(errors));
    }

    // Beside the running daemon, which goes on answering.
    void runsThatEndAtOnce_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("outParts");
        QTest::addColumn<QString>("errPart");
        QTest::newRow("second instance")
            << QStringList { "--storage", TestEnvironment::root() + "/winprops.second" } << 1
            << QStringList() << WinPropsService::busName();
        QTest::newRow("help") << QStringList { "--help" } << 0
                              << QStringList { "--storage <file>", "--exit-when-idle <seconds>" }
                              << QString();
        QTest::newRow("idle time not a number") << QStringList { "--exit-when-idle", "soon" } << 1
                                                << QStringList() << "--exit-when-idle";
    }

    void runsThatEndAtOnce()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, outParts);
        QFETCH(QString, errPart);
        const ToolRun run = runProgram(ServiceProcess::program(), arguments,
                                       QProcessEnvironment::systemEnvironment(), 10000);
        QCOMPARE(run.exitCode, status);
        for (const QString &part : qAsConst(outParts))
            QVERIFY2(run.out.contains(part), qPrintable(run.out));
        QVERIFY2(run.err.contains(errPart), qPrintable(run.err));
        QVERIFY(succeeded(m_client->winNames()));
    }

    // A service that asks to replace the stand-in gets the name; the stand-in ends, its file as
    // it was.
    void yieldsToServiceThatReplacesIt()
    {
        // One whose standard error the test reads.
        QVERIFY(m_service->stop());
        QProcess standIn;
        standIn.start(ServiceProcess::program(),
                      { QStringLiteral("--no-apply"), QStringLiteral("--storage"),
                        m_service->storagePath() });
        QVERIFY(ServiceProcess::waitForService(true));
        QDBusConnection replacer = QDBusConnection::connectToBus(
            QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")),
            QStringLiteral("replacer"));
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply
            = replacer.interface()->registerService(
                WinPropsService::busName(), QDBusConnectionInterface::ReplaceExistingService,
                QDBusConnectionInterface::DontAllowReplacement);
        const bool replaced = reply.value() == QDBusConnectionInterface::ServiceRegistered;
        replacer.interface()->unregisterService(WinPropsService::busName());
        QDBusConnection::disconnectFromBus(QStringLiteral("replacer"));
        QVERIFY(replaced);
        QVERIFY(standIn.waitForFinished(10000));
        QCOMPARE(standIn.exitCode(), 0);
        const QString errors = QString::fromUtf8(standIn.readAllStandardError());
        QVERIFY2(errors.contains(QStringLiteral("Another service took over the bus name")),
                 qPrintable(errors));
        QCOMPARE(m_service->readStorage(), seed);
    }

    void gdbusSeesInterfaceAndStorage()
    {
        const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
        if (gdbus.isEmpty())
            QSKIP("gdbus is not installed");
        const QStringList target
            = { QStringLiteral("--session"), QStringLiteral("--dest"), WinPropsService::busName(),
                QStringLiteral("--object-path"), WinPropsService::objectPath() };
        const QString introspection = run(gdbus, QStringList { "introspect" } + target);
        QVERIFY2(introspection.contains("interface org.kivo.Kivo.WinProps.Apprc"),
                 qPrintable(introspection));
        QVERIFY(introspection.contains(QStringLiteral("getAllProperties(out ")
                                       + winPropsListSignature() + QStringLiteral(" wpl)")));
        QVERIFY(introspection.contains("windowRenamed(s oldName,"));

        const QString fetched = run(gdbus,
                                    QStringList { "call" } + target
                                        + QStringList { "--method",
                                                        "org.kivo.Kivo.WinProps.Apprc."
                                                        "getAllProperties" });
        const QStringList records
            = { gdbusText(recordOf(seed.at(0)), true), gdbusText(recordOf(seed.at(1)), false),
                gdbusText(recordOf(seed.at(2)), false) };
        QCOMPARE(fetched.trimmed(), QStringLiteral("([%1],)").arg(records.join(", ")));
    }

    // Only the changes, on condition: all of them or, refused, none.
    void changePropertiesIfUnchanged_data()
    {
        QTest::addColumn<WinPropsList>("changes");
        QTest::addColumn<QStringList>("removals");
        QTest::addColumn<bool>("stale");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("announced"); // changed records, then "-" removed names
        const QString none;
        QTest::newRow("new record") << recordsOf({ "new;ontop" }) << QStringList() << false << none
                                    << seed + QStringList("new;ontop") << QStringList("new;ontop");
        QTest::newRow("stored record, in place")
            << recordsOf({ "a b;sticky" }) << QStringList() << false << none
            << replaced(seed, 1, "a b;sticky") << QStringList("a b;sticky");
        QTest::newRow("stored record as it is")
            << recordsOf({ seed.at(1) }) << QStringList() << false << none << seed << QStringList();
        QTest::newRow("name removed")
            << WinPropsList() << QStringList("a b") << false << none
            << QStringList({ seed.at(0), seed.at(2) }) << QStringList("-a b");
        QTest::newRow("missing name removed")
            << WinPropsList() << QStringList("nobody") << false << none << seed << QStringList();
        QTest::newRow("removed, then set again")
            << recordsOf({ "xterm;ontop" }) << QStringList("xterm") << false << none
            << QStringList({ seed.at(1), seed.at(2), "xterm;ontop" }) << QStringList("xterm;ontop");
        QTest::newRow("stale generation refused")
            << recordsOf({ "new;ontop" }) << QStringList("a b") << true << collectionChangedError()
            << seed << QStringList();
        QTest::newRow("invalid record refuses all")
            << WinPropsList({ recordOf("new;ontop"), named("bad\nname") }) << QStringList("a b")
            << false << invalidArgument << seed << QStringList();
        QTest::newRow("name set twice refuses all")
            << recordsOf({ "new;ontop", "new;sticky" }) << QStringList() << false << invalidArgument
            << seed << QStringList();
        QTest::newRow("invalid name removed refuses all")
            << recordsOf({ "new;ontop" }) << QStringList(QString()) << false << invalidArgument
            << seed << QStringList();
    }

    void changePropertiesIfUnchanged()
    {
        QFETCH(WinPropsList, changes);
        QFETCH(QStringList, removals);
        QFETCH(bool, stale);
        QFETCH(QString, error);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, announced);
        QSignalSpy changed(m_client.get(), &ApprcInterface::changedWindowProperties);
        QSignalSpy removed(m_client.get(), &ApprcInterface::removedWindowProperties);
        const qulonglong before = generation();

        QDBusPendingReply<qulonglong> reply
            = m_client->changePropertiesIfUnchanged(changes, removals, before - stale);
        reply.waitForFinished();
        QCOMPARE(reply.isError() ? reply.error().name() : QString(), error);
        QCOMPARE(m_service->readStorage(), stored);
        QCOMPARE(textsOf(all()), stored);
        QCOMPARE(generation() != before, !announced.isEmpty());
        if (!reply.isError())
            QCOMPARE(reply.value(), generation());
        // Signals arrive in order: once the sentinel's is here, any other would be too.
        QVERIFY(succeeded(m_client->setWindowProperties(QStringLiteral("sentinel"), QString())));
        QTRY_VERIFY(texts(changed).contains(QStringLiteral("sentinel")));
        QStringList seen = texts(changed).mid(0, changed.size() - 1);
        for (const QString &name : firstArguments(removed))
            seen.append(QLatin1Char('-') + name);
        QCOMPARE(seen, announced);
    }

    void getPropertiesAndGeneration_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("none") << QStringList() << QStringList();
        QTest::newRow("in stored order, whatever the order asked")
            << QStringList({ "Привет", "xterm" }) << QStringList({ seed.at(0), seed.at(2) });
        QTest::newRow("missing and repeated names")
            << QStringList({ "a b", "nobody", "a b", "" }) << QStringList(seed.at(1));
    }

    void getPropertiesAndGeneration()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, records);
        QDBusPendingReply<WinPropsList, qulonglong> reply
            = m_client->getPropertiesAndGeneration(names);
        QVERIFY(succeeded(reply));
        QCOMPARE(textsOf(reply.argumentAt<0>()), records);
        QCOMPARE(reply.argumentAt<1>(), generation());
    }

private:
    // The daemon again, on the seed in a folder that may be taken away.
    bool restartInFolderOfItsOwn()
    {
        const QString folder = TestEnvironment::root() + QStringLiteral("/edited/kivo");
        if (!m_service->stop() || !QDir().mkpath(folder))
            return false;
        m_service = std::make_unique<ServiceProcess>(folder + QStringLiteral("/winprops"));
        return m_service->startWith(seed);
    }

    WinPropsList all()
    {
        WinPropsList records;
        QString errorMessage;
        QDBusPendingReply<WinPropsList> reply = m_client->getAllProperties();
        reply.waitForFinished();
        if (!winPropsListFromReply(reply, records, errorMessage))
            qWarning() << "getAllProperties failed:" << errorMessage;
        return records;
    }

    qulonglong generation()
    {
        QDBusPendingReply<WinPropsList, qulonglong> reply
            = m_client->getAllPropertiesAndGeneration();
        if (!succeeded(reply))
            return 0;
        return reply.argumentAt<1>();
    }

    static QString run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(10000) || process.exitCode() != 0)
            return QString::fromUtf8(process.readAllStandardError());
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    std::unique_ptr<ServiceProcess> m_service;
    std::unique_ptr<ApprcInterface> m_client;
};

KIVO_TEST_MAIN(TestWinPropsd)
#include "tst_winpropsd.moc"
