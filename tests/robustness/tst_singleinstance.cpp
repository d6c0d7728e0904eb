// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/singleapplication/singleinstancepeer.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtEndian>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr int Timeout = 30000;
constexpr int Starts = 10;
const uid_t OtherUser = 65534;

// What the tool counts as its running instance: the same program for the same user.
QString toolId()
{
    return SingleInstancePeer::defaultId(
        QFileInfo(QStringLiteral(KIVO_ADMIN_WINPROPS)).canonicalFilePath());
}

QString socketPath()
{
    return SingleInstancePeer::socketPath(toolId());
}

QString lockPath()
{
    return SingleInstancePeer::lockFilePath(toolId());
}

struct FileStatus
{
    bool exists = false;
    uid_t owner = 0;
    mode_t type = 0;
    int permissions = 0;
};

FileStatus statusOf(const QString &path)
{
    struct stat info = {};
    FileStatus status;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return status;
    return { true, info.st_uid, mode_t(info.st_mode & S_IFMT), int(info.st_mode & 07777) };
}

// The process id written in the lock file, or 0.
qint64 lockHolder()
{
    QFile file(lockPath());
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().trimmed().toLongLong();
}

bool isX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// One start of a program: the real tool, or the helper that plays an application of the
// single-instance library; killed at the end of the test if still running.
class Program
{
public:
    Program(const QString &program, const QProcessEnvironment &environment)
        : m_program(program)
    {
        m_process.setProcessEnvironment(environment);
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    void start(const QStringList &arguments = {}) { m_process.start(m_program, arguments); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    qint64 pid() const { return m_process.processId(); }
    bool waitForEnd(int timeoutMs = Timeout)
    {
        return QTest::qWaitFor([this] { return !isRunning(); }, timeoutMs);
    }
    // The exit code of a process that ended by itself, -1 for one that a signal ended.
    int exitCode() const
    {
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    // Runs to the end and returns the exit code, or -1 when it crashed or hung.
    int finish() { return waitForEnd() ? exitCode() : -1; }
    QString output() { return QString::fromUtf8(m_process.readAll()); }
    QString errorOutput() { return QString::fromUtf8(m_process.readAllStandardError()); }
    // Waits for a line on standard error that contains text.
    bool waitForError(const QString &text)
    {
        return QTest::qWaitFor(
                   [&] {
                       m_errors += errorOutput();
                       return m_errors.contains(text) || !isRunning();
                   },
                   Timeout)
            && m_errors.contains(text);
    }
    // The first line on standard output not yet taken that starts with prefix; empty when none
    // comes in time.
    QString take(const QString &prefix)
    {
        QString found;
        const bool ended = QTest::qWaitFor(
            [&] {
                while (m_process.canReadLine())
                    m_lines << QString::fromUtf8(m_process.readLine()).chopped(1);
                for (int i = 0; i < m_lines.size(); ++i) {
                    if (m_lines.at(i).startsWith(prefix)) {
                        found = m_lines.takeAt(i);
                        return true;
                    }
                }
                return !isRunning() && !m_process.canReadLine();
            },
            Timeout);
        return ended ? found : QString();
    }
    QProcess &process() { return m_process; }

private:
    QString m_program;
    QProcess m_process;
    QString m_errors;
    QStringList m_lines;
};

class Tool : public Program
{
public:
    explicit Tool(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
        : Program(QStringLiteral(KIVO_ADMIN_WINPROPS), environment)
    {
    }
};

class Helper : public Program
{
public:
    explicit Helper(const QProcessEnvironment &environment
                    = QProcessEnvironment::systemEnvironment())
        : Program(QStringLiteral(SINGLEINSTANCE_HELPER), environment)
    {
    }
};

// Whether something listens on the socket: a socket file left by a killed instance refuses.
bool socketListens()
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    const bool connected = socket.waitForConnected(1000);
    socket.abort();
    return connected;
}

// Waits until the tool holds the lock and listens on the socket.
bool waitUntilFirstInstance(Tool &tool)
{
    return QTest::qWaitFor([&] { return lockHolder() == tool.pid() && socketListens(); }, Timeout);
}

// Whether an instance answers a message, asked as this user.
bool instanceAnswers()
{
    SingleInstancePeer probe(toolId());
    return probe.isClient() && probe.sendMessage(QStringLiteral("raise"), 5000);
}

// Output of a program, or a null string when it failed.
QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(Timeout) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Runs the probe as the other user.
QString runAsOtherUser(const QStringList &probeArguments)
{
    const QString id = QString::number(OtherUser);
    return run(QStandardPaths::findExecutable(QStringLiteral("setpriv")),
               QStringList { QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
                             QStringLiteral("--clear-groups"), QStringLiteral("--"),
                             QStringLiteral(KIVO_SINGLEINSTANCE_PROBE) }
                   + probeArguments)
        .trimmed();
}

bool canActAsOtherUser()
{
    return ::geteuid() == 0 && !QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty();
}

// X window of the tool's dialog, by its process.
QString dialogWindow(const Tool &tool)
{
    return run(QStringLiteral("xdotool"),
               { QStringLiteral("search"), QStringLiteral("--sync"),
                 QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                 QString::number(tool.pid()), QStringLiteral("--name"),
                 QStringLiteral("^Configure windows properties$") })
        .section(QLatin1Char('\n'), 0, 0)
        .trimmed();
}

// The top-level X windows, topmost first.
QList<quint64> stackingOrder()
{
    QList<quint64> windows;
    const QRegularExpression line(QStringLiteral("^\\s+0x([0-9a-f]+) "),
                                  QRegularExpression::MultilineOption);
    auto it = line.globalMatch(
        run(QStringLiteral("xwininfo"), { QStringLiteral("-root"), QStringLiteral("-children") }));
    while (it.hasNext())
        windows.append(it.next().captured(1).toULongLong(nullptr, 16));
    return windows;
}

bool isAbove(quint64 upper, quint64 lower)
{
    const QList<quint64> order = stackingOrder();
    const int upperAt = order.indexOf(upper);
    return upperAt >= 0 && upperAt < order.indexOf(lower);
}

quint64 focusWindow()
{
    return run(QStringLiteral("xdotool"), { QStringLiteral("getwindowfocus") })
        .trimmed()
        .toULongLong();
}

// Ends the running dialog: closed like a user would under X, where that can be done from here;
// offscreen nothing outside reaches it, so it is terminated.
void closeDialog(Tool &tool)
{
    if (isX11()) {
        const QString window = dialogWindow(tool);
        QVERIFY(!window.isEmpty());
        run(QStringLiteral("xdotool"),
            { QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
              QStringLiteral("key"), QStringLiteral("Escape") });
        QVERIFY(tool.waitForEnd());
        QCOMPARE(tool.exitCode(), 0);
        // A clean end takes lock and socket along.
        QVERIFY(!statusOf(lockPath()).exists);
        QVERIFY(!statusOf(socketPath()).exists);
        return;
    }
    tool.process().terminate();
    QVERIFY(tool.waitForEnd());
}
QString receivedLine(const QString &message, bool minimized = false)
{
    return QStringLiteral("received %1 minimized=%2")
        .arg(QString::fromLatin1(message.toUtf8().toBase64()))
        .arg(minimized ? 1 : 0);
}

// Starts a first instance and waits until it listens.
std::unique_ptr<Helper> startListener(const QStringList &options = {},
                                      const QProcessEnvironment &environment
                                      = QProcessEnvironment::systemEnvironment())
{
    auto listener = std::make_unique<Helper>(environment);
    listener->start(QStringList { QStringLiteral("listen") } + options);
    if (listener->take(QStringLiteral("ready")).isEmpty())
        return nullptr;
    return listener;
}

QString send(const QString &text, int repeat = 1,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    Helper sender(environment);
    sender.start({ QStringLiteral("send"), text, QString::number(repeat) });
    const QString answer = sender.take(QString());
    return sender.finish() == 0 ? answer : QStringLiteral("failed: ") + answer;
}

QString helperId()
{
    Helper helper;
    helper.start({ QStringLiteral("id") });
    const QString id = helper.take(QString());
    return helper.finish() == 0 ? id : QString();
}

// Runs the tool with --quiet and the arguments to its end; its exit code.
int runQuietly(const QStringList &arguments)
{
    Tool tool;
    tool.start(QStringList(QStringLiteral("--quiet")) + arguments);
    return tool.waitForEnd() ? tool.exitCode() : -1;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void lockAndSocketArePrivate();
    void killedFirstInstanceDoesNotBlockNextStart_data();
    void killedFirstInstanceDoesNotBlockNextStart();
    void tenStartsGiveOneDialog();
    void secondStartRaisesRunningDialog();
    void otherUserCannotReachRunningInstance();
    void secondInstanceDeliversMessage_data();
    void secondInstanceDeliversMessage();
    void nextStartAfterFirstEnds_data();
    void nextStartAfterFirstEnds();
    void badClientsDoNotBlockInstance_data();
    void badClientsDoNotBlockInstance();
    void activationWindowOnMessage_data();
    void activationWindowOnMessage();
    void privateFolderWithoutUsableRuntimeFolder_data();
    void privateFolderWithoutUsableRuntimeFolder();
    void otherUsersFallbackFolderIsRefused();
    void quietRunsTakeTurns();
    void quietRunGivesWay_data();
    void quietRunGivesWay();
    void dialogWaitsForQuietRunAhead_data();
    void dialogWaitsForQuietRunAhead();
    void quietRunsAheadOfDialogAllStore();
    void refusedWithoutPrivateFolder_data();
    void refusedWithoutPrivateFolder();

private:
    std::unique_ptr<ServiceProcess> m_service;
};

void TestSingleInstance::initTestCase()
{
    // The dialogs open on a service, so that no warning of an unread service stands in front.
    m_service = std::make_unique<ServiceProcess>();
    m_service->writeStorage({ QStringLiteral("xterm;no_title") });
    QVERIFY(m_service->start());
}

void TestSingleInstance::lockAndSocketArePrivate()
{
    Tool tool;
    tool.start();
    QVERIFY(waitUntilFirstInstance(tool));

    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QCOMPARE(QFileInfo(socketPath()).path(), runtime);
    const FileStatus folder = statusOf(runtime);
    QCOMPARE(folder.owner, ::getuid());
    QCOMPARE(folder.permissions, 0700);
    const FileStatus socket = statusOf(socketPath());
    QCOMPARE(socket.type, mode_t(S_IFSOCK));
    QCOMPARE(socket.owner, ::getuid());
    QCOMPARE(socket.permissions & 077, 0);
    const FileStatus lock = statusOf(lockPath());
    QCOMPARE(lock.type, mode_t(S_IFREG));
    QCOMPARE(lock.owner, ::getuid());
    QCOMPARE(lock.permissions, 0600);
    closeDialog(tool);
}

void TestSingleInstance::killedFirstInstanceDoesNotBlockNextStart_data()
{
    QTest::addColumn<bool>("clockSetBack");
    QTest::newRow("killed") << false;
    // The lock the killed instance left looks written in the future.
    QTest::newRow("killed, clock set back since") << true;
}

void TestSingleInstance::killedFirstInstanceDoesNotBlockNextStart()
{
    QFETCH(bool, clockSetBack);
    Tool first;
    first.start();
    QVERIFY(waitUntilFirstInstance(first));
    first.process().kill();
    QVERIFY(first.waitForEnd());
    QVERIFY(statusOf(lockPath()).exists);
    QVERIFY(statusOf(socketPath()).exists);
    if (clockSetBack) {
        QFile lock(lockPath());
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTimeUtc().addSecs(3600),
                                 QFileDevice::FileModificationTime));
    }

    Tool next;
    next.start();
    QVERIFY(waitUntilFirstInstance(next));
    QVERIFY(instanceAnswers());
    QVERIFY(next.isRunning());
    Tool third;
    third.start();
    QVERIFY(third.waitForEnd());
    QCOMPARE(third.exitCode(), 1);
    QCOMPARE(third.errorOutput(), QString());
    QVERIFY(next.isRunning());
    closeDialog(next);
    QVERIFY2(!next.errorOutput().contains(QLatin1String("QLockFile")),
             "the stale lock was reported");
}

void TestSingleInstance::tenStartsGiveOneDialog()
{
    std::vector<std::unique_ptr<Tool>> tools;
    for (int i = 0; i < Starts; ++i) {
        tools.push_back(std::make_unique<Tool>());
        tools.back()->start();
    }
    const auto ended = [&] {
        return std::count_if(tools.cbegin(), tools.cend(),
                             [](const auto &tool) { return !tool->isRunning(); });
    };
    QTRY_COMPARE_WITH_TIMEOUT(int(ended()), Starts - 1, Timeout);

    Tool *running = nullptr;
    for (const auto &tool : tools) {
        if (tool->isRunning()) {
            running = tool.get();
            continue;
        }
        QCOMPARE(tool->exitCode(), 1);
        QCOMPARE(tool->output(), QString());
        QCOMPARE(tool->errorOutput(), QString());
    }
    QVERIFY(running);
    QCOMPARE(lockHolder(), running->pid());
    QVERIFY(instanceAnswers());
    QVERIFY(running->isRunning());
    closeDialog(*running);
}

// Under X only: offscreen, a window has no stacking order and no focus that another process
// could see.
void TestSingleInstance::secondStartRaisesRunningDialog()
{
    if (!isX11())
        QSKIP("needs an X server; ctest runs this through xvfb-run as tst_singleinstance_x11");
    Tool first;
    first.start();
    QVERIFY(waitUntilFirstInstance(first));
    const quint64 dialog = dialogWindow(first).toULongLong();
    QVERIFY(dialog != 0);

    QWidget cover;
    cover.setWindowTitle(QStringLiteral("cover"));
    cover.setGeometry(QGuiApplication::primaryScreen()->geometry());
    cover.show();
    cover.raise();
    cover.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&cover));
    QTRY_VERIFY(isAbove(cover.winId(), dialog));

    Tool second;
    second.start({ QStringLiteral("--edit"), QStringLiteral("xterm") });
    QVERIFY(second.waitForEnd());
    QCOMPARE(second.exitCode(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(isAbove(dialog, cover.winId()), Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(focusWindow(), dialog, Timeout);
    QTRY_VERIFY(!cover.isActiveWindow());
    closeDialog(first);
}

// Another user can neither take our lock nor reach our socket, so cannot make our instance
// raise its dialog or stand in for it.
void TestSingleInstance::otherUserCannotReachRunningInstance()
{
    if (!canActAsOtherUser())
        QSKIP("acting as another user needs root and setpriv");
    Tool tool;
    tool.start();
    QVERIFY(waitUntilFirstInstance(tool));

    QVERIFY2(runAsOtherUser({ QStringLiteral("send"), socketPath() }).startsWith("failed: "),
             "another user reached the socket");
    QVERIFY2(runAsOtherUser({ QStringLiteral("lock"), lockPath() }).startsWith("failed: "),
             "another user took the lock");
    QCOMPARE(lockHolder(), tool.pid());
    QVERIFY(instanceAnswers());
    closeDialog(tool);
}

// Without a runtime folder the tool uses a folder of its own under the temporary folder. When
// another user set up that folder first, with a lock and a listener in it, the tool says so in
// one line and does not start: a lock there would keep nobody out, and the other user gets no
// message.
void TestSingleInstance::otherUsersFallbackFolderIsRefused()
{
    if (!canActAsOtherUser())
        QSKIP("acting as another user needs root and setpriv");
    QTemporaryDir shared(QStringLiteral("/tmp/kivo-shared-XXXXXX"));
    QVERIFY(shared.isValid());
    QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
    const QString squatted = shared.path() + QStringLiteral("/kivo-single-")
        + QString::number(::getuid()) + QLatin1Char('/') + QFileInfo(socketPath()).fileName();

    QProcess squatter;
    squatter.start(QStringLiteral("setpriv"),
                   { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups"), QStringLiteral("--"),
                     QStringLiteral(KIVO_SINGLEINSTANCE_PROBE), QStringLiteral("hold"), squatted });
    QVERIFY(QTest::qWaitFor([&] { return squatter.canReadLine(); }, Timeout));
    QCOMPARE(squatter.readLine().trimmed(), QByteArray("ready"));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), shared.path());
    Tool tool(environment);
    tool.start();
    QVERIFY(tool.waitForEnd());
    QCOMPARE(tool.exitCode(), 1);
    // Qt itself may remark on the missing runtime folder; of the tool's own lines there is one.
    const QString error = tool.errorOutput();
    const QStringList lines
        = error.split(QLatin1Char('\n'))
              .filter(QRegularExpression(QStringLiteral("^kivo-admin-winprops: ")));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(QStringLiteral("kivo-admin-winprops: no private folder")),
             qPrintable(error));
    QCOMPARE(squatter.readAll(), QByteArray());
    squatter.kill();
    squatter.waitForFinished();
}

// The single-instance library on its own, through the helper program.

void TestSingleInstance::secondInstanceDeliversMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("repeat");
    QTest::newRow("raise") << QStringLiteral("raise") << 1;
    QTest::newRow("empty") << QString() << 1;
    QTest::newRow("non-ASCII, line breaks") << QStringLiteral("größe ✓ 窓\nzwei\r\n") << 1;
    // Several megabytes: many packets on the socket.
    QTest::newRow("longer than a packet") << QStringLiteral("0123456789abcdé✓") << 200000;
}

void TestSingleInstance::secondInstanceDeliversMessage()
{
    QFETCH(QString, text);
    QFETCH(int, repeat);
    const auto listener = startListener();
    QVERIFY(listener);

    QCOMPARE(send(text, repeat), QStringLiteral("delivered"));
    QCOMPARE(listener->take(QStringLiteral("received")), receivedLine(text.repeated(repeat)));
}

void TestSingleInstance::nextStartAfterFirstEnds_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("first quits") << false;
    QTest::newRow("first killed") << true;
}

void TestSingleInstance::nextStartAfterFirstEnds()
{
    QFETCH(bool, killed);
    const QString socketPath = SingleInstancePeer::socketPath(helperId());
    QVERIFY(!socketPath.isEmpty());
    {
        const auto first = startListener();
        QVERIFY(first);
        if (killed) {
            first->process().kill();
            QCOMPARE(first->finish(), -1);
        } else {
            QCOMPARE(send(QStringLiteral("quit")), QStringLiteral("delivered"));
            QCOMPARE(first->finish(), 0);
        }
    }
    // A killed instance leaves its lock and socket behind; one that quits takes them along.
    QCOMPARE(QFileInfo::exists(socketPath + QStringLiteral(".lock")), killed);
    QCOMPARE(QFileInfo::exists(socketPath), killed);

    QCOMPARE(send(QStringLiteral("raise")), QStringLiteral("failed: alone"));
    const auto next = startListener();
    QVERIFY(next);
    QCOMPARE(send(QStringLiteral("raise")), QStringLiteral("delivered"));
    QCOMPARE(next->take(QStringLiteral("received")), receivedLine(QStringLiteral("raise")));
}

void TestSingleInstance::badClientsDoNotBlockInstance_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("dropped");
    QByteArray truncated(4, Qt::Uninitialized);
    qToBigEndian<quint32>(100, truncated.data());
    QByteArray oversized(4, Qt::Uninitialized);
    qToBigEndian<quint32>(0xFFFFFFFFu, oversized.data());

    QTest::newRow("silent") << QByteArray() << false;
    QTest::newRow("half a length") << QByteArray("\0\0", 2) << false;
    QTest::newRow("message cut short") << truncated + "0123456789" << false;
    QTest::newRow("length beyond limit") << oversized + "x" << true;
}

void TestSingleInstance::badClientsDoNotBlockInstance()
{
    QFETCH(QByteArray, sent);
    QFETCH(bool, dropped);
    const auto listener = startListener();
    QVERIFY(listener);

    QLocalSocket client;
    client.connectToServer(SingleInstancePeer::socketPath(helperId()));
    QVERIFY2(client.waitForConnected(Timeout), qPrintable(client.errorString()));
    client.write(sent);
    QVERIFY(client.waitForBytesWritten(Timeout) || sent.isEmpty());

    QCOMPARE(send(QStringLiteral("raise")), QStringLiteral("delivered"));
    QCOMPARE(listener->take(QStringLiteral("received")), receivedLine(QStringLiteral("raise")));
    if (dropped)
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, Timeout);
    else
        QCOMPARE(client.state(), QLocalSocket::ConnectedState);
    QCOMPARE(client.bytesAvailable(), qint64(0));
}

void TestSingleInstance::activationWindowOnMessage_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("activates");
    QTest::newRow("activate on message") << QStringList { QStringLiteral("--minimized") } << true;
    QTest::newRow("no activation")
        << QStringList { QStringLiteral("--minimized"), QStringLiteral("--no-activate") } << false;
}

void TestSingleInstance::activationWindowOnMessage()
{
    QFETCH(QStringList, options);
    QFETCH(bool, activates);
    const auto listener = startListener(options);
    QVERIFY(listener);
    QCOMPARE(listener->take(QStringLiteral("window")), QStringLiteral("window minimized inactive"));

    QCOMPARE(send(QStringLiteral("raise")), QStringLiteral("delivered"));
    QCOMPARE(listener->take(QStringLiteral("received")),
             receivedLine(QStringLiteral("raise"), !activates));
    if (activates)
        QCOMPARE(listener->take(QStringLiteral("window normal active")),
                 QStringLiteral("window normal active"));
}

void TestSingleInstance::privateFolderWithoutUsableRuntimeFolder_data()
{
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<int>("runtimeMode");
    QTest::newRow("none") << QString() << 0;
    QTest::newRow("open to others") << QStringLiteral("open") << 0755;
    QTest::newRow("path too long for a socket") << QStringLiteral("long-").repeated(16) << 0700;
    // Judged by its mode, which root, who runs these tests, could write to anyway.
    QTest::newRow("not writable") << QStringLiteral("readonly") << 0500;
}

void TestSingleInstance::privateFolderWithoutUsableRuntimeFolder()
{
    QFETCH(QString, runtime);
    QFETCH(int, runtimeMode);
    const QString temp
        = TestEnvironment::root() + QStringLiteral("/tmp-") + QTest::currentDataTag();
    QVERIFY(QDir().mkpath(temp));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temp);
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty()) {
        const QString runtimePath = temp + QLatin1Char('/') + runtime;
        QVERIFY(QDir().mkpath(runtimePath));
        QVERIFY(::chmod(QFile::encodeName(runtimePath).constData(), mode_t(runtimeMode)) == 0);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimePath);
    }

    const auto listener = startListener({}, environment);
    QVERIFY(listener);
    QCOMPARE(send(QStringLiteral("raise"), 1, environment), QStringLiteral("delivered"));
    QCOMPARE(listener->take(QStringLiteral("received")), receivedLine(QStringLiteral("raise")));

    // Lock and socket went to a folder of the user's own under the temporary folder.
    const QString folder = temp + QStringLiteral("/kivo-single-") + QString::number(getuid());
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
    QVERIFY(S_ISDIR(info.st_mode));
    QCOMPARE(info.st_mode & 0777, mode_t(0700));
    QCOMPARE(QDir(folder).entryList(QDir::System | QDir::Files).size(), 2);
}

// With no usable runtime folder and a fallback folder that is not the user's alone, there is
// nowhere to keep a lock that others cannot take or remove: the instance must not start.
void TestSingleInstance::refusedWithoutPrivateFolder_data()
{
    QTest::addColumn<int>("fallbackMode");
    QTest::addColumn<bool>("otherOwner");
    QTest::newRow("open to others") << 0777 << false;
    QTest::newRow("writable by the group") << 0770 << false;
    QTest::newRow("not writable") << 0500 << false;
    QTest::newRow("another user's") << 0700 << true;
}

void TestSingleInstance::refusedWithoutPrivateFolder()
{
    QFETCH(int, fallbackMode);
    QFETCH(bool, otherOwner);
    if (otherOwner && ::geteuid() != 0)
        QSKIP("giving a folder to another user needs root");
    const QString temp
        = TestEnvironment::root() + QStringLiteral("/refused-") + QTest::currentDataTag();
    const QString fallback = temp + QStringLiteral("/kivo-single-") + QString::number(getuid());
    QVERIFY(QDir().mkpath(fallback));
    QVERIFY(::chmod(QFile::encodeName(fallback).constData(), mode_t(fallbackMode)) == 0);
    if (otherOwner)
        QVERIFY(::chown(QFile::encodeName(fallback).constData(), OtherUser, OtherUser) == 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temp);
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));

    Helper listener(environment);
    listener.start({ QStringLiteral("listen") });
    const QString answer = listener.take(QString());
    QVERIFY2(answer.startsWith(QStringLiteral("refused no private folder")), qPrintable(answer));
    QVERIFY2(answer.contains(fallback), qPrintable(answer));
    QCOMPARE(listener.finish(), 3);
    QCOMPARE(QDir(fallback).entryList(QDir::System | QDir::Files), QStringList());
}

// Twenty quiet runs started together by a script: each waits for the one before, and every
// addition is stored.
void TestSingleInstance::quietRunsTakeTurns()
{
    const QStringList before = m_service->readStorage();
    std::vector<std::unique_ptr<Tool>> tools;
    QStringList added;
    for (int i = 0; i < 2 * Starts; ++i) {
        added.append(QStringLiteral("parallel%1;ontop").arg(i));
        tools.push_back(std::make_unique<Tool>());
        tools.back()->start({ QStringLiteral("--quiet"), QStringLiteral("--add"), added.last() });
    }
    for (const auto &tool : tools) {
        QVERIFY(tool->waitForEnd());
        QCOMPARE(tool->errorOutput(), QString());
        QCOMPARE(tool->exitCode(), 0);
    }
    QStringList after = m_service->readStorage();
    QCOMPARE(after.mid(0, before.size()), before);
    after = after.mid(before.size());
    after.sort();
    added.sort();
    QCOMPARE(after, added);
    QStringList deletions;
    for (const QString &record : added)
        deletions << QStringLiteral("--delete") << record.section(QLatin1Char(';'), 0, 0);
    QCOMPARE(runQuietly(deletions), 0);
    QCOMPARE(m_service->readStorage(), before);
}

void TestSingleInstance::quietRunGivesWay_data()
{
    QTest::addColumn<bool>("dialogOpen");
    QTest::addColumn<QString>("message");
    // Storing now would be undone by the dialog's next save.
    QTest::newRow("to an open dialog")
        << true
        << "kivo-admin-winprops: the window properties are open in the dialog; nothing was "
           "changed\n";
    // A quiet run that hangs holds up the others only for a while.
    QTest::newRow("to a quiet run that does not end")
        << false
        << "kivo-admin-winprops: another quiet run did not end in time; nothing was changed\n";
}

void TestSingleInstance::quietRunGivesWay()
{
    QFETCH(bool, dialogOpen);
    QFETCH(QString, message);
    const QStringList before = m_service->readStorage();
    Tool dialog;
    QLockFile turn(SingleInstancePeer::turnFilePath(toolId()));
    if (dialogOpen) {
        dialog.start();
        QVERIFY(waitUntilFirstInstance(dialog));
    } else {
        QVERIFY(turn.tryLock(0));
    }

    Tool quiet;
    quiet.start({ QStringLiteral("--quiet"), QStringLiteral("--add"), QStringLiteral("n;ontop") });
    QVERIFY(quiet.waitForEnd());
    QCOMPARE(quiet.exitCode(), 1);
    QCOMPARE(quiet.errorOutput(), message);
    QCOMPARE(m_service->readStorage(), before);
    if (dialogOpen)
        closeDialog(dialog);
}

void TestSingleInstance::dialogWaitsForQuietRunAhead_data()
{
    QTest::addColumn<bool>("quietRunEnds");
    QTest::newRow("that ends") << true;
    QTest::newRow("that does not end") << false;
}

// A quiet run holds both locks while it stores; a dialog started then opens once it ends, or
// says why it does not.
void TestSingleInstance::dialogWaitsForQuietRunAhead()
{
    QFETCH(bool, quietRunEnds);
    QLockFile turn(SingleInstancePeer::turnFilePath(toolId()));
    QVERIFY(turn.tryLock(0));
    auto quietRun = std::make_unique<SingleInstancePeer>(toolId());
    QVERIFY(!quietRun->isClient());
    Tool dialog;
    dialog.start();
    if (!quietRunEnds) {
        // On standard error, and in a message box that waits for the user.
        QVERIFY(dialog.waitForError(
            "kivo-admin-winprops: a quiet run started before the dialog did not end in time; "
            "the dialog was not opened\n"));
        QVERIFY(dialog.isRunning());
        QCOMPARE(lockHolder(), QCoreApplication::applicationPid());
        return;
    }
    // It ends as a process does, letting go of both locks; the dialog has asked by then, unless
    // it started slowly (and then the test shows less, but never fails for it).
    QTimer end;
    end.setSingleShot(true);
    connect(&end, &QTimer::timeout, this, [&] {
        quietRun.reset();
        turn.unlock();
    });
    end.start(1000);
    QVERIFY(waitUntilFirstInstance(dialog));
    closeDialog(dialog);
}

// Quiet runs waiting for their turn when a dialog starts all have it before the dialog opens;
// they take it in the order they started.
void TestSingleInstance::quietRunsAheadOfDialogAllStore()
{
    const QStringList before = m_service->readStorage();
    QLockFile turn(SingleInstancePeer::turnFilePath(toolId()));
    QVERIFY(turn.tryLock(0));
    const QDir queue(SingleInstancePeer::queueFolderPath(toolId()));
    const auto waiting = [&queue] { return queue.entryList(QDir::Files).size(); };
    std::vector<std::unique_ptr<Tool>> quietRuns;
    QStringList added;
    for (int i = 0; i < 8; ++i) {
        added.append(QStringLiteral("ahead%1;ontop").arg(i));
        quietRuns.push_back(std::make_unique<Tool>());
        quietRuns.back()->start(
            { QStringLiteral("--quiet"), QStringLiteral("--add"), added.last() });
        QTRY_COMPARE_WITH_TIMEOUT(waiting(), i + 1, Timeout);
    }
    Tool dialog;
    dialog.start();
    QTRY_COMPARE_WITH_TIMEOUT(waiting(), 9, Timeout);
    turn.unlock();
    for (const auto &quietRun : quietRuns) {
        QVERIFY(quietRun->waitForEnd());
        QCOMPARE(quietRun->errorOutput(), QString());
        QCOMPARE(quietRun->exitCode(), 0);
    }
    QCOMPARE(m_service->readStorage(), before + added);
    QVERIFY(waitUntilFirstInstance(dialog));
    closeDialog(dialog);
    QStringList deletions;
    for (const QString &record : added)
        deletions << QStringLiteral("--delete") << record.section(QLatin1Char(';'), 0, 0);
    QCOMPARE(runQuietly(deletions), 0);
}

KIVO_TEST_MAIN(TestSingleInstance)

#include "tst_singleinstance.moc"
