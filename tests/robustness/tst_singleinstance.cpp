// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "serviceprocess.h"
#include "singleinstancepeer.h"
#include "testenvironment.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

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

// One start of the real tool; killed at the end of the test if still running.
class Tool
{
public:
    explicit Tool(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(environment);
    }
    ~Tool()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    void start(const QStringList &arguments = {})
    {
        m_process.start(QStringLiteral(KIVO_ADMIN_WINPROPS), arguments);
    }
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
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_errors;
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
    void otherUserCannotBlockStart();

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

// Without a runtime folder the tool uses a folder of its own under the temporary folder; another
// user who set up that folder first, with a lock and a listener in it, gets no message and does
// not keep the tool from starting.
void TestSingleInstance::otherUserCannotBlockStart()
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
    QVERIFY(tool.waitForError(QStringLiteral("No private runtime folder")));
    QVERIFY(tool.isRunning());
    QCOMPARE(squatter.readAll(), QByteArray());
    tool.process().terminate();
    QVERIFY(tool.waitForEnd());
    squatter.kill();
    squatter.waitForFinished();
}

KIVO_TEST_MAIN(TestSingleInstance)

#include "tst_singleinstance.moc"
