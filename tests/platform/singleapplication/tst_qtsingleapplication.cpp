// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "singleinstancepeer.h"
#include "testenvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QtEndian>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const int Timeout = 15000;

// A helper process whose output is read line by line while the test's event loop runs.
class Helper
{
public:
    explicit Helper(const QProcessEnvironment &environment
                    = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~Helper()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    void start(const QStringList &arguments) { m_process.start(SINGLEINSTANCE_HELPER, arguments); }

    // The first line not yet taken that starts with prefix; empty when none comes in time.
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
                return m_process.state() == QProcess::NotRunning && !m_process.canReadLine();
            },
            Timeout);
        return ended ? found : QString();
    }

    // Runs to the end and returns the exit code, or -1 when it crashed or hung.
    int finish()
    {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(Timeout))
            return -1;
        if (m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }

    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QStringList m_lines;
};

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
} // namespace

class TestQtSingleApplication : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
};

void TestQtSingleApplication::secondInstanceDeliversMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("repeat");
    QTest::newRow("raise") << QStringLiteral("raise") << 1;
    QTest::newRow("empty") << QString() << 1;
    QTest::newRow("non-ASCII, line breaks") << QStringLiteral("größe ✓ 窓\nzwei\r\n") << 1;
    // Several megabytes: many packets on the socket.
    QTest::newRow("longer than a packet") << QStringLiteral("0123456789abcdé✓") << 200000;
}

void TestQtSingleApplication::secondInstanceDeliversMessage()
{
    QFETCH(QString, text);
    QFETCH(int, repeat);
    const auto listener = startListener();
    QVERIFY(listener);

    QCOMPARE(send(text, repeat), QStringLiteral("delivered"));
    QCOMPARE(listener->take(QStringLiteral("received")), receivedLine(text.repeated(repeat)));
}

void TestQtSingleApplication::nextStartAfterFirstEnds_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("first quits") << false;
    QTest::newRow("first killed") << true;
}

void TestQtSingleApplication::nextStartAfterFirstEnds()
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

void TestQtSingleApplication::badClientsDoNotBlockInstance_data()
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

void TestQtSingleApplication::badClientsDoNotBlockInstance()
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

void TestQtSingleApplication::activationWindowOnMessage_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("activates");
    QTest::newRow("activate on message") << QStringList { QStringLiteral("--minimized") } << true;
    QTest::newRow("no activation")
        << QStringList { QStringLiteral("--minimized"), QStringLiteral("--no-activate") } << false;
}

void TestQtSingleApplication::activationWindowOnMessage()
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

void TestQtSingleApplication::privateFolderWithoutUsableRuntimeFolder_data()
{
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<int>("runtimeMode");
    QTest::newRow("none") << QString() << 0;
    QTest::newRow("open to others") << QStringLiteral("open") << 0755;
    QTest::newRow("path too long for a socket") << QStringLiteral("long-").repeated(16) << 0700;
}

void TestQtSingleApplication::privateFolderWithoutUsableRuntimeFolder()
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

KIVO_TEST_MAIN(TestQtSingleApplication)

#include "tst_qtsingleapplication.moc"
