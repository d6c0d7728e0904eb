// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon/winpropsstore.h"
#include "platform/winprops/recordlines.h"
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/filetestutil.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/common/testrecords.h"
#include "tests/common/toolrun.h"

#include <algorithm>
#include <iterator>

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>

#include <memory>
#include <unistd.h>
#include <vector>

namespace {
constexpr int KillIterations = 60;
constexpr int CallsPerStream = 4;
#ifdef KIVO_SANITIZED
// Sanitized builds run many times slower: the same kills with smaller stores.
constexpr int MaxRecords = 500;
#else
constexpr int MaxRecords = 5000;
#endif
constexpr int CallsPerClient = 40;
#ifdef KIVO_SANITIZED
constexpr int HandAppends = 3000;
#else
constexpr int HandAppends = 9000;
#endif
constexpr int CallTimeoutMs = 30000;

// Collection number n, of the given size: every record is named after n, so that a stored
// state tells which collection it came from, and a mix of two shows.
WinPropsList collection(int number, int size)
{
    WinPropsList list;
    list.reserve(size);
    for (int i = 0; i < size; ++i) {
        WinProps props;
        props.setWinName(QStringLiteral("c%1-r%2").arg(number).arg(i));
        props.ontop = (number + i) % 2 == 0;
        props.sticky = !props.ontop;
        props.shadow = quint32((number * 7 + i) % 101);
        if (i % 3 == 0)
            props.geometry = QStringLiteral("%1x%2+%3-%4")
                                 .arg(100 + i % 900)
                                 .arg(number % 800)
                                 .arg(i % 50)
                                 .arg(number % 50);
        list.append(props);
    }
    return list;
}

// The collections sent so far, by the storage file contents they give.
class SentCollections
{
public:
    WinPropsList add(int number, int size)
    {
        const WinPropsList list = collection(number, size);
        m_numberOf.insert(recordLines(list), number);
        return list;
    }
    // The number of the collection these storage contents hold; -1 for anything else.
    int numberOf(const QByteArray &contents) const { return m_numberOf.value(contents, -1); }

private:
    QHash<QByteArray, int> m_numberOf;
};

WinPropsList fetched(ApprcInterface &client)
{
    QDBusPendingReply<WinPropsList> reply = client.getAllProperties();
    reply.waitForFinished();
    return reply.isError() ? WinPropsList() : reply.value();
}

QByteArray fetchedContents(ApprcInterface &client)
{
    QDBusPendingReply<WinPropsList> reply = client.getAllProperties();
    reply.waitForFinished();
    return reply.isError() ? QByteArray("fetch failed") : recordLines(reply.value());
}

bool allFinished(const QList<QDBusPendingCall> &calls)
{
    return std::all_of(calls.cbegin(), calls.cend(),
                       [](const QDBusPendingCall &call) { return call.isFinished(); });
}

// Sends its collections in order over a bus connection of its own, two calls in flight.
class StoringClient
{
public:
    StoringClient(const QString &connectionName, const QList<WinPropsList> &lists)
        : m_connectionName(connectionName)
        , m_client(WinPropsService::busName(), WinPropsService::objectPath(),
                   QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName))
        , m_lists(lists)
    {
    }
    ~StoringClient() { QDBusConnection::disconnectFromBus(m_connectionName); }

    void start()
    {
        sendNext();
        sendNext();
    }
    bool isDone() const { return m_answered == m_lists.size(); }
    QStringList failures() const { return m_failures; }

private:
    void sendNext()
    {
        if (m_sent == m_lists.size())
            return;
        auto *watcher = new QDBusPendingCallWatcher(m_client.setAllProperties(m_lists.at(m_sent++)),
                                                    &m_client);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_client, [this, watcher] {
            if (watcher->isError())
                m_failures.append(watcher->error().message());
            ++m_answered;
            watcher->deleteLater();
            sendNext();
        });
    }

    QString m_connectionName;
    ApprcInterface m_client;
    QList<WinPropsList> m_lists;
    int m_sent = 0;
    int m_answered = 0;
    QStringList m_failures;
};

// A small file system of its own, mounted while it exists.
class SmallFileSystem
{
public:
    SmallFileSystem(const QString &folder, int kilobytes)
        : m_folder(folder)
    {
        QDir().mkpath(folder);
        QProcess mount;
        mount.setProcessChannelMode(QProcess::MergedChannels);
        mount.start(QStringLiteral("mount"),
                    { QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                      QStringLiteral("size=%1k,mode=0700").arg(kilobytes),
                      QStringLiteral("kivo-test"), folder });
        m_mounted = mount.waitForFinished() && mount.exitStatus() == QProcess::NormalExit
            && mount.exitCode() == 0;
        m_output = QString::fromLocal8Bit(mount.readAll()).trimmed();
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), { m_folder });
    }
    bool isMounted() const { return m_mounted; }
    QString output() const { return m_output; }

private:
    QString m_folder;
    bool m_mounted = false;
    QString m_output;
};

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void killedDuringStoresKeepsOneSentCollection();
    void twoClientsStoreWholeCollections();
    void handAppendsRacingStoresAreKept_data();
    void handAppendsRacingStoresAreKept();
    void fullDiskChangesNothing_data();
    void fullDiskChangesNothing();

private:
    quint32 m_seed = 0;
};

// The random sizes and kill moments come from one seed, printed so that a failure can be
// repeated with KIVO_CRASH_SEED.
void TestCrashSafety::initTestCase()
{
    registerWinPropsTypes();
    bool given = false;
    m_seed = quint32(qEnvironmentVariableIntValue("KIVO_CRASH_SEED", &given));
    if (!given)
        m_seed = QRandomGenerator::global()->generate() & 0x7FFFFFFF;
    qInfo("KIVO_CRASH_SEED=%u", m_seed);
}

// SIGKILL lands while the daemon works through a queue of stores, after a random number of
// them and a random further delay; the restarted daemon must hold one whole collection, never
// one older than the last store it confirmed.
void TestCrashSafety::killedDuringStoresKeepsOneSentCollection()
{
    QRandomGenerator random(m_seed);
    const QString folder = TestEnvironment::root() + QStringLiteral("/crash/kivo");
    ServiceProcess service(folder + QStringLiteral("/winprops"));
    QVERIFY(service.start());
    ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(),
                          QDBusConnection::sessionBus());
    SentCollections sent;
    sent.add(0, 0);
    int stored = 0;
    int number = 0;
    int unconfirmedKept = 0;
    QElapsedTimer clock;
    clock.start();

    for (int iteration = 0; iteration < KillIterations; ++iteration) {
        QList<QDBusPendingCall> calls;
        for (int i = 0; i < CallsPerStream; ++i)
            calls.append(client.setAllProperties(
                sent.add(++number, int(random.bounded(1, MaxRecords + 1)))));
        const int firstOfStream = number - CallsPerStream + 1;

        // Killed once a random number of stores is confirmed, a little later still.
        const int confirmedBeforeKill = int(random.bounded(CallsPerStream));
        QVERIFY(QTest::qWaitFor(
            [&] {
                return std::count_if(calls.cbegin(), calls.cend(),
                                     [](const QDBusPendingCall &call) { return call.isFinished(); })
                    >= confirmedBeforeKill;
            },
            CallTimeoutMs));
        QTest::qWait(int(random.bounded(20)));
        service.process().kill();
        QVERIFY(service.process().waitForFinished());
        QVERIFY(QTest::qWaitFor([&] { return allFinished(calls); }, CallTimeoutMs));
        int lastConfirmed = stored;
        for (int i = 0; i < calls.size(); ++i) {
            if (!calls.at(i).isError())
                lastConfirmed = firstOfStream + i;
        }

        QVERIFY(ServiceProcess::waitForService(false));
        const StorageContents contents = parseStorage(contentsOf(service.storagePath()));
        QVERIFY2(contents.rejected.isEmpty(), "the storage has lines it cannot read");
        const int now = sent.numberOf(contentsOf(service.storagePath()));
        QVERIFY2(now >= 0, "the storage holds no collection that was sent");
        QVERIFY2(
            now >= lastConfirmed,
            qPrintable(QStringLiteral("holds %1, %2 was confirmed").arg(now).arg(lastConfirmed)));
        QVERIFY(now == stored || now >= firstOfStream);
        if (now > lastConfirmed)
            ++unconfirmedKept;
        QVERIFY(service.start());
        QCOMPARE(sent.numberOf(fetchedContents(client)), now);
        stored = now;
    }
    qInfo("%d kills in %lld ms; %d times the store under way when killed was kept", KillIterations,
          clock.elapsed(), unconfirmedKept);
    // Nothing left beside it but, at most, the temporary copy of a save killed between writing and
    // renaming it ("winprops.XXXXXX"): no set-aside lines, nothing else.
    const QRegularExpression interruptedSave(QStringLiteral("^winprops\\.[A-Za-z0-9]{6}$"));
    QStringList leftBeside = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    leftBeside.erase(
        std::remove_if(leftBeside.begin(), leftBeside.end(),
                       [&](const QString &name) { return interruptedSave.match(name).hasMatch(); }),
        leftBeside.end());
    QVERIFY2(
        leftBeside == QStringList { "winprops" },
        qPrintable(QStringLiteral("left in the folder: ") + leftBeside.join(QLatin1String(", "))));
    QCOMPARE(modeOf(service.storagePath()), 0600);
    QCOMPARE(modeOf(folder), 0700);
}

// Two clients store by turns, each with two calls in flight, while the test reads the file and
// asks the service; every state seen is one whole collection that one of them sent.
void TestCrashSafety::twoClientsStoreWholeCollections()
{
    QRandomGenerator random(m_seed + 1);
    ServiceProcess service;
    QVERIFY(service.start());
    SentCollections sent;
    sent.add(0, 0);
    std::vector<std::unique_ptr<StoringClient>> clients;
    for (const int first : { 1, 2 }) {
        QList<WinPropsList> lists;
        for (int i = 0; i < CallsPerClient; ++i)
            lists.append(sent.add(first + 2 * i, int(random.bounded(1, MaxRecords * 2 / 5 + 1))));
        clients.push_back(
            std::make_unique<StoringClient>(QStringLiteral("client-%1").arg(first), lists));
    }
    ApprcInterface reader(WinPropsService::busName(), WinPropsService::objectPath(),
                          QDBusConnection::sessionBus());
    QSet<int> seenInFile;
    QSet<int> seenServed;
    std::unique_ptr<QDBusPendingCallWatcher> fetch;
    const auto allDone = [&] {
        return std::all_of(clients.cbegin(), clients.cend(),
                           [](const auto &client) { return client->isDone(); });
    };
    for (auto &client : clients)
        client->start();
    while (!allDone()) {
        seenInFile << sent.numberOf(contentsOf(service.storagePath()));
        if (!fetch || fetch->isFinished()) {
            if (fetch)
                seenServed << sent.numberOf(
                    recordLines(QDBusPendingReply<WinPropsList>(*fetch).value()));
            fetch = std::make_unique<QDBusPendingCallWatcher>(reader.getAllProperties());
        }
        QTest::qWait(1);
    }
    QVERIFY2(!seenInFile.contains(-1), "the file held a state nobody sent");
    QVERIFY2(!seenServed.contains(-1), "the service held a state nobody sent");
    for (const auto &client : clients)
        QCOMPARE(client->failures(), QStringList());
    const int last = sent.numberOf(contentsOf(service.storagePath()));
    QVERIFY(last > 0);
    QCOMPARE(sent.numberOf(fetchedContents(reader)), last);
    qInfo("%d stores by two clients; %d states seen in the file, %d served, all whole",
          2 * CallsPerClient, int(seenInFile.size()), int(seenServed.size()));
}

// A shell appends records to the file, one ">>" at a time, while a client stores record after
// record: no line of either is lost, however the appends and the saves' renames interleave.
void TestCrashSafety::handAppendsRacingStoresAreKept_data()
{
    QTest::addColumn<bool>("quietRuns");
    QTest::addColumn<int>("appends");
    QTest::newRow("one record stored at a time") << false << HandAppends;
    // A script's run is not refused for a change it could be joined with; a run takes longer
    // than a call, and a score of them go on while the lines are appended.
    QTest::newRow("quiet --add runs, none refused") << true << 4 * HandAppends;
}

void TestCrashSafety::handAppendsRacingStoresAreKept()
{
    QFETCH(bool, quietRuns);
    QFETCH(int, appends);
    ServiceProcess service;
    service.writeStorage({ QStringLiteral("first;ontop") });
    QVERIFY(service.start());
    ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(),
                          QDBusConnection::sessionBus());
    QProcess appender;
    // Each append a little apart (a count, not a sleep), so that stores get through between them.
    const QString appendLines = QStringLiteral(
        "i=0; while [ $i -lt %1 ]; do echo \"hand-$i;ontop\" >> \"$0\"; i=$((i+1)); "
        "j=0; while [ $j -lt 100 ]; do j=$((j+1)); done; done");
    appender.start(QStringLiteral("sh"),
                   { QStringLiteral("-c"), appendLines.arg(appends), service.storagePath() });
    QVERIFY(appender.waitForStarted());
    QStringList expected = { QStringLiteral("first;ontop") };
    int refused = 0;
    for (int i = 0; appender.state() != QProcess::NotRunning; ++i) {
        const QString name = QStringLiteral("client-%1").arg(i);
        bool stored = false;
        if (quietRuns) {
            const ToolRun run
                = runTool({ QStringLiteral("--quiet"), QStringLiteral("--add"), name + ";sticky" });
            QVERIFY2(run.exitCode == 0, qPrintable(run.err));
            stored = true;
        } else {
            QDBusPendingCall call = client.setWindowProperties(name, QStringLiteral("sticky"));
            call.waitForFinished();
            stored = !call.isError();
        }
        if (stored)
            expected.append(name + QStringLiteral(";sticky"));
        else
            ++refused;
        appender.waitForFinished(0);
    }
    QCOMPARE(appender.exitCode(), 0);
    for (int i = 0; i < appends; ++i)
        expected.append(QStringLiteral("hand-%1;ontop").arg(i));
    expected.sort();
    const auto lostFrom = [&expected](QStringList lines) {
        lines.sort();
        QStringList lost;
        std::set_difference(expected.cbegin(), expected.cend(), lines.cbegin(), lines.cend(),
                            std::back_inserter(lost));
        return lost;
    };
    // Appends that landed in a replaced file are taken up within seconds.
    QTRY_COMPARE_WITH_TIMEOUT(lostFrom(textsOf(fetched(client))), QStringList(), 20000);
    QCOMPARE(lostFrom(service.readStorage()), QStringList());
    qInfo("%d appends, %d stores (%d refused as the file changed meanwhile): none lost", appends,
          int(expected.size()) - appends - 1, refused);
}

void TestCrashSafety::fullDiskChangesNothing_data()
{
    QTest::addColumn<QString>("store");
    QTest::newRow("whole collection") << "all";
    QTest::newRow("one record") << "one";
    QTest::newRow("kivo-admin-winprops --quiet --add") << "tool";
}

// On a full file system a store is refused and changes nothing, neither the file nor what the
// service serves; once there is room again, stores go through.
void TestCrashSafety::fullDiskChangesNothing()
{
    QFETCH(QString, store);
    if (::geteuid() != 0)
        QSKIP("Stores on a full disk are tested only as root, who can mount a small file system.");
    const QString folder = TestEnvironment::root() + QStringLiteral("/full");
    SmallFileSystem disk(folder, 64);
    if (!disk.isMounted())
        QSKIP(qPrintable(QStringLiteral("Cannot mount a small file system: ") + disk.output()));
    // Two thirds of the room: the whole copy a store writes first cannot fit beside it.
    const QByteArray before = recordLines(collection(1, 1400));
    QVERIFY(before.size() > 40 * 1024 && before.size() < 56 * 1024);
    ServiceProcess service(folder + QStringLiteral("/winprops"));
    QFile file(service.storagePath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size() && file.flush());
    file.close();
    QVERIFY(service.start());
    ApprcInterface client(WinPropsService::busName(), WinPropsService::objectPath(),
                          QDBusConnection::sessionBus());

    if (store == QLatin1String("tool")) {
        const ToolRun run = runTool({ "--quiet", "--add", "added;ontop" });
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.startsWith(QLatin1String("kivo-admin-winprops: "))
                     && run.err.contains(service.storagePath()),
                 qPrintable(run.err));
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
        qInfo("%d bytes stored; the tool said: %s", int(before.size()), qPrintable(run.err));
    } else {
        QDBusPendingCall call = store == QLatin1String("all")
            ? client.setAllProperties(collection(2, 1400))
            : client.setWindowProperties(QStringLiteral("added"), QStringLiteral("ontop"));
        call.waitForFinished();
        QVERIFY(call.isError());
        QCOMPARE(call.error().name(), QStringLiteral("org.kivo.Kivo.WinProps.Error.Storage"));
    }
    QCOMPARE(contentsOf(service.storagePath()), before);
    QCOMPARE(fetchedContents(client), before);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList { "winprops" });

    QDBusPendingCall small = client.setAllProperties(collection(3, 10));
    small.waitForFinished();
    QVERIFY(!small.isError());
    QCOMPARE(contentsOf(service.storagePath()), recordLines(collection(3, 10)));
}

KIVO_TEST_MAIN(TestCrashSafety)

#include "tst_crashsafety.moc"
