// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// bench-wayland sway|kwin [WINDOWS] [ROUNDS]: kivo-winpropsd on a headless compositor, run by
// scripts/bench-wayland. Measures
//   store:  from the store call to each of WINDOWS open X11 windows showing the change, and to
//           the last of them, over ROUNDS stores, each followed by the removal, timed too; on
//           KWin also the same change made by writing its rules and calling reconfigure alone;
//   new:    from asking for a window (X11 under Xwayland, or a Wayland-native program) to its
//           properties in place, over WINDOWS windows opened one at a time, and how many the
//           compositor first had in the wrong state.
// What the compositor does is watched as it happens: sway's tree is asked for over its IPC
// socket in a loop (one look bounds the resolution); KWin tells through a script that calls back
// over D-Bus with the time on its own clock. Prints "COMPOSITOR NAME MEDIAN_MS P95_MS COUNT".
#include "service/apprcinterface.h"
#include "platform/winprops/winpropsservice.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/wayland/kwinsession.h"
#include "tests/wayland/swaysession.h"
#include "tests/x11/x11session.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace {

constexpr int timeoutMs = 60000;

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// Events are handled while waiting; pollMs bounds how long a look at the condition waits.
bool waitUntil(const std::function<bool()> &condition, int pollMs = 1)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(pollMs);
    }
    return true;
}

qint64 percentile(QVector<qint64> values, int percent)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    const int rank = (values.size() * percent + 99) / 100;
    return values.at(std::clamp(rank - 1, 0, int(values.size()) - 1));
}

// What the bench knows of one window: whether it shows the record's properties, since when, and
// how the compositor first announced it.
struct WindowState
{
    bool applied = false;
    qint64 changedAt = -1;
    bool announcedApplied = false;
    qint64 announcedAt = -1;
    // When the compositor first has the window ready to be painted, where it tells.
    bool shownApplied = false;
    qint64 shownAt = -1;
};

class Watcher
{
public:
    virtual ~Watcher() = default;
    // Brings the states up to date where the compositor must be asked.
    virtual void refresh() { }
    // Whether the compositor tells when a window is first ready to be painted.
    virtual bool seesShowing() const { return false; }
    const WindowState *window(const QString &name) const
    {
        const auto found = m_windows.constFind(name);
        return found == m_windows.cend() ? nullptr : &*found;
    }

protected:
    void show(const QString &name, bool applied, qint64 time)
    {
        WindowState &state = m_windows[name];
        state.shownApplied = applied;
        state.shownAt = time;
    }
    void note(const QString &name, bool applied, qint64 time)
    {
        WindowState &state = m_windows[name];
        if (state.changedAt < 0 || state.applied != applied) {
            state.applied = applied;
            state.changedAt = time;
        }
    }
    void announce(const QString &name, bool applied, qint64 time)
    {
        WindowState &state = m_windows[name];
        if (state.announcedAt < 0) {
            state.announcedApplied = applied;
            state.announcedAt = time;
        }
    }

private:
    QHash<QString, WindowState> m_windows;
};

// sway's IPC: "i3-ipc", the payload's length and the message type, in the host's byte order.
class SwayIpcSocket
{
public:
    static constexpr quint32 getTree = 4;

    bool connectTo(const QString &path)
    {
        m_socket.connectToServer(path);
        return m_socket.waitForConnected();
    }
    QJsonDocument request(quint32 type)
    {
        QByteArray message = "i3-ipc";
        const quint32 header[2] = { 0, type };
        message.append(reinterpret_cast<const char *>(header), sizeof header);
        m_socket.write(message);
        constexpr int headerSize = 14;
        QByteArray reply;
        quint32 size = 0;
        while (reply.size() < headerSize || reply.size() < headerSize + int(size)) {
            if (!m_socket.waitForReadyRead(timeoutMs))
                return {};
            reply += m_socket.readAll();
            if (reply.size() >= headerSize)
                std::memcpy(&size, reply.constData() + 6, sizeof size);
        }
        return QJsonDocument::fromJson(reply.mid(headerSize, int(size)));
    }

private:
    QLocalSocket m_socket;
};

// Windows named by their WM_CLASS instance or their app id; applied: sway shows them without any
// border. sway's "new" window event is sent before the window has its place and border, so what a
// window first looked like is taken from the first tree it is in.
class SwayWatcher : public Watcher
{
public:
    bool connectTo(const QString &socket) { return m_socket.connectTo(socket); }
    void refresh() override
    {
        const qint64 start = now();
        visit(m_socket.request(SwayIpcSocket::getTree).object(), now());
        m_polls.append(now() - start);
    }
    // How long each look at the tree took: the resolution of the times measured.
    QVector<qint64> polls() const { return m_polls; }

private:
    void visit(const QJsonObject &node, qint64 time)
    {
        const QString instance = node.value(QLatin1String("window_properties"))
                                     .toObject()
                                     .value(QLatin1String("instance"))
                                     .toString();
        const QString name
            = instance.isEmpty() ? node.value(QLatin1String("app_id")).toString() : instance;
        if (!name.isEmpty()) {
            const bool applied = node.value(QLatin1String("border")) == QLatin1String("none");
            announce(name, applied, time);
            note(name, applied, time);
        }
        for (const char *children : { "nodes", "floating_nodes" }) {
            for (const QJsonValue &child : node.value(QLatin1String(children)).toArray())
                visit(child.toObject(), time);
        }
    }

    SwayIpcSocket m_socket;
    QVector<qint64> m_polls;
};

// KWin keeps an X11 window's instance in lower case, as the bench names them. Applied: kept
// above; for the first states, kept above and without a border, as the new windows' record says.
const char kwinScript[] = R"(function nameOf(w) {
    var appId = String(w.resourceClass);
    return appId.indexOf("org.kivo.") == 0 ? appId : String(w.resourceName);
}
function report(kind, w) {
    callDBus("org.kivo.bench", "/Bench", "org.kivo.Bench", "note",
             JSON.stringify({ kind: kind, name: nameOf(w), noBorder: w.noBorder,
                              keepAbove: w.keepAbove, time: Date.now() }));
}
function watch(w) {
    w.keepAboveChanged.connect(function() { report("changed", w); });
    w.windowShown.connect(function() { report("shown", w); });
}
var windows = workspace.clientList();
for (var i = 0; i < windows.length; ++i)
    watch(windows[i]);
workspace.clientAdded.connect(function(w) {
    report("added", w);
    // KWin adds a Wayland window (one without an X11 id) once it is ready to be painted.
    if (w.windowId === undefined)
        report("shown", w);
    watch(w);
});
report("ready", { resourceName: "", noBorder: false, keepAbove: false });
)";

class KwinWatcher : public QObject, public Watcher
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kivo.Bench")

public:
    bool ready() const { return m_ready; }
    bool seesShowing() const override { return true; }

public Q_SLOTS:
    Q_SCRIPTABLE void note(const QString &json)
    {
        const QJsonObject report = QJsonDocument::fromJson(json.toUtf8()).object();
        const QString kind = report.value(QLatin1String("kind")).toString();
        const QString name = report.value(QLatin1String("name")).toString();
        const bool above = report.value(QLatin1String("keepAbove")).toBool();
        const qint64 time = qint64(report.value(QLatin1String("time")).toDouble());
        if (kind == QLatin1String("ready"))
            m_ready = true;
        const bool ruled = above && report.value(QLatin1String("noBorder")).toBool();
        if (kind == QLatin1String("added"))
            announce(name, ruled, time);
        else if (kind == QLatin1String("shown"))
            show(name, ruled, time);
        if (!name.isEmpty())
            Watcher::note(name, above, time);
    }

private:
    bool m_ready = false;
};

bool loadKwinScript(const QString &folder)
{
    const QString path = folder + QStringLiteral("/kivo-bench.js");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(kwinScript) < 0)
        return false;
    file.close();
    const auto call = [](const QString &method, const QVariantList &arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
            QStringLiteral("org.kde.kwin.Scripting"), method);
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message).type() != QDBusMessage::ErrorMessage;
    };
    return call(QStringLiteral("loadScript"), { path, QStringLiteral("kivo-bench") })
        && call(QStringLiteral("start"), {});
}

class Bench
{
public:
    Bench(const char *compositor, Watcher &watcher, const QProcessEnvironment &environment,
          const QStringList &launcher)
        : m_compositor(compositor)
        , m_watcher(watcher)
        , m_client(environment, launcher)
        , m_apprc(WinPropsService::busName(), WinPropsService::objectPath(),
                  QDBusConnection::sessionBus())
    {
    }

    // X11 windows of one class, open for the stores.
    bool openWindows(int windows)
    {
        for (int i = 0; i < windows; ++i) {
            m_openNames.append(QStringLiteral("open%1").arg(i));
            if (!m_client.open(X11TestClient::wmClass(m_openNames.last().toLatin1(),
                                                      openClassName.toLatin1())))
                return fail("the test client does not open a window");
        }
        return showAll(m_openNames, false) || fail("the open windows do not show");
    }

    // Each store followed by the removal, rounds times, on the windows open.
    bool storeToOpenWindows(int rounds, const QString &properties)
    {
        QVector<qint64> each, last, eachUndone, lastUndone, calls;
        for (int round = 0; round < rounds; ++round) {
            qint64 start = now();
            if (!succeeded(m_apprc.setWindowProperties(openClassName, properties)))
                return fail("the record is not stored");
            calls.append(now() - start);
            if (!showAll(m_openNames, true))
                return fail("the open windows do not follow the store");
            collect(start, each, last);
            start = now();
            if (!succeeded(m_apprc.removeWindowProperties(openClassName))
                || !showAll(m_openNames, false))
                return fail("the open windows do not follow the removal");
            collect(start, eachUndone, lastUndone);
        }
        print("store-call", calls);
        print("store-each", each);
        print("store-last", last);
        print("remove-each", eachUndone);
        print("remove-last", lastUndone);
        return true;
    }

    // KWin's own part of a store, before the service runs: a rule that keeps the open windows
    // above, then one that keeps them from it, each written and followed by a reconfigure call,
    // as the service does.
    bool kwinRulesToOpenWindows(int rounds)
    {
        QVector<qint64> each, last;
        for (int round = 0; round < 2 * rounds; ++round) {
            const bool above = round % 2 == 0;
            QFile rules(KwinSession::rulesPath());
            if (!rules.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return fail("cannot write KWin's rules");
            rules.write(
                QStringLiteral("[General]\ncount=1\nrules=bench\n\n[bench]\n"
                               "Description=bench\nwmclass=%1\nwmclassmatch=1\n"
                               "above=%2\naboverule=2\n")
                    .arg(openClassName, above ? QStringLiteral("true") : QStringLiteral("false"))
                    .toUtf8());
            rules.close();
            const qint64 start = now();
            QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
                QStringLiteral("org.kde.KWin"), QStringLiteral("/KWin"),
                QStringLiteral("org.kde.KWin"), QStringLiteral("reconfigure")));
            if (!showAll(m_openNames, above))
                return fail("the open windows do not follow KWin's rules");
            collect(start, each, last);
        }
        print("kwin-rules-each", each);
        print("kwin-rules-last", last);
        return QFile::remove(KwinSession::rulesPath());
    }

    // X11 windows of one class, named by their instance.
    bool newX11Windows(int windows, const QString &properties)
    {
        const QByteArray className = "KivoBenchNew";
        return newWindows("new", windows, { QString::fromLatin1(className) }, properties,
                          [this, className](int i) {
                              const QByteArray name = "new" + QByteArray::number(i);
                              const xcb_window_t window
                                  = m_client.open(X11TestClient::wmClass(name, className));
                              return window
                                  ? Opened { QString::fromLatin1(name),
                                             [this, window] { m_client.destroy(window); } }
                                  : Opened();
                          });
    }

    // Wayland-native windows, each a program of its own with an app id, and a record, of its own.
    bool newWaylandWindows(int windows, const QString &properties,
                           const QProcessEnvironment &environment)
    {
        QStringList appIds;
        for (int i = 0; i <= windows; ++i)
            appIds.append(QStringLiteral("org.kivo.benchwayland%1").arg(i));
        return newWindows("wayland-new", windows, appIds, properties, [&](int i) {
            auto client = std::make_shared<QProcess>();
            QProcessEnvironment wayland = environment;
            wayland.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
            client->setProcessEnvironment(wayland);
            client->start(QStringLiteral(KIVO_WAYLAND_TEST_CLIENT), { appIds.at(i) });
            return Opened { appIds.at(i), [client] {
                               client->kill();
                               client->waitForFinished();
                           } };
        });
    }

private:
    struct Opened
    {
        QString name; // empty when the window could not be opened
        std::function<void()> close;
    };

    // One window at a time, each closed before the next; the first is opened, unmeasured, to
    // make sure the compositor has taken the records in: one opened while it takes them in is
    // not what is measured here.
    bool newWindows(const char *row, int windows, const QStringList &classNames,
                    const QString &properties, const std::function<Opened(int)> &open)
    {
        for (const QString &className : classNames) {
            if (!succeeded(m_apprc.setWindowProperties(className, properties)))
                return fail("a record is not stored");
        }
        const Opened first = open(0);
        if (first.name.isEmpty() || !showAll({ first.name }, true))
            return fail("the records are not in force");
        first.close();
        QVector<qint64> inPlace, announced;
        int announcedWrong = 0, shownWrong = 0;
        for (int i = 1; i <= windows; ++i) {
            const qint64 start = now();
            const Opened window = open(i);
            if (window.name.isEmpty() || !showAll({ window.name }, true))
                return fail("a new window does not get its properties");
            if (!waitUntil([&] {
                    const WindowState *state = m_watcher.window(window.name);
                    return state->announcedAt >= 0
                        && (!m_watcher.seesShowing() || state->shownAt >= 0);
                }))
                return fail("the compositor does not announce a new window");
            const WindowState *state = m_watcher.window(window.name);
            inPlace.append(state->changedAt - start);
            announced.append(state->announcedAt - start);
            announcedWrong += !state->announcedApplied;
            shownWrong += !state->shownApplied;
            window.close();
        }
        const QByteArray prefix = QByteArray(row) + '-';
        print(prefix + "in-place", inPlace);
        print(prefix + "announced", announced);
        std::printf("%s %sannounced-wrong %d - %d\n", m_compositor, prefix.constData(),
                    announcedWrong, windows);
        if (m_watcher.seesShowing())
            std::printf("%s %sshown-wrong %d - %d\n", m_compositor, prefix.constData(), shownWrong,
                        windows);
        return true;
    }

public:
    void print(const QByteArray &name, const QVector<qint64> &values) const
    {
        std::printf("%s %s %lld %lld %d\n", m_compositor, name.constData(), percentile(values, 50),
                    percentile(values, 95), int(values.size()));
        std::fflush(stdout);
    }

private:
    bool showAll(const QStringList &names, bool applied)
    {
        return waitUntil([&] {
            m_watcher.refresh();
            return std::all_of(names.cbegin(), names.cend(), [&](const QString &name) {
                const WindowState *state = m_watcher.window(name);
                return state && state->applied == applied;
            });
        });
    }

    void collect(qint64 start, QVector<qint64> &each, QVector<qint64> &last) const
    {
        qint64 latest = 0;
        for (const QString &name : m_openNames) {
            const qint64 took = m_watcher.window(name)->changedAt - start;
            each.append(took);
            latest = std::max(latest, took);
        }
        last.append(latest);
    }

    const QString openClassName = QStringLiteral("KivoBenchOpen");

    bool fail(const char *what) const
    {
        std::fprintf(stderr, "bench-wayland: %s: %s\n", m_compositor, what);
        return false;
    }

    const char *m_compositor;
    Watcher &m_watcher;
    X11TestClient m_client;
    ApprcInterface m_apprc;
    QStringList m_openNames;
};

bool startService(ServiceProcess &service, const QProcessEnvironment &environment)
{
    service.process().setProcessEnvironment(environment);
    service.process().setProcessChannelMode(QProcess::ForwardedErrorChannel);
    return service.start();
}

int benchSway(int windows, int rounds)
{
    SwaySession sway;
    if (!sway.start()) {
        std::fprintf(stderr, "bench-wayland: %s\n", qPrintable(sway.error()));
        return 1;
    }
    ServiceProcess service;
    SwayWatcher watcher;
    if (!startService(service, sway.environment()) || !watcher.connectTo(sway.socketPath()))
        return 1;
    const QString properties = QStringLiteral("no_title;no_border");
    Bench bench("sway", watcher, sway.environment(), sway.launcher());
    if (!bench.openWindows(windows) || !bench.storeToOpenWindows(rounds, properties)
        || !bench.newX11Windows(windows, properties)
        || !bench.newWaylandWindows(windows, properties, sway.environment()))
        return 1;
    bench.print("tree-poll", watcher.polls());
    return 0;
}

int benchKwin(int windows, int rounds)
{
    KwinSession kwin;
    if (!kwin.start()) {
        std::fprintf(stderr, "bench-wayland: %s\n", qPrintable(kwin.error()));
        return 1;
    }
    KwinWatcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/Bench"), &watcher,
                            QDBusConnection::ExportScriptableSlots)
        || !bus.registerService(QStringLiteral("org.kivo.bench"))
        || !loadKwinScript(TestEnvironment::root())
        || !waitUntil([&] { return watcher.ready(); })) {
        std::fprintf(stderr, "bench-wayland: the KWin script does not start\n");
        return 1;
    }
    Bench bench("kwin", watcher, kwin.environment(), {});
    if (!bench.openWindows(windows) || !bench.kwinRulesToOpenWindows(rounds))
        return 1;
    ServiceProcess service;
    const QString properties = QStringLiteral("no_title;no_border;ontop");
    return startService(service, kwin.environment())
            && bench.storeToOpenWindows(rounds, QStringLiteral("ontop"))
            && bench.newX11Windows(windows, properties)
            && bench.newWaylandWindows(windows, properties, kwin.environment())
        ? 0
        : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool kwin = argc > 1 && qstrcmp(argv[1], "kwin") == 0;
    if (argc < 2 || (!kwin && qstrcmp(argv[1], "sway") != 0)) {
        std::fprintf(stderr, "usage: bench-wayland sway|kwin [WINDOWS] [ROUNDS]\n");
        return 2;
    }
    kwin ? TestEnvironment::enterAsCompositorUser(argc, argv) : TestEnvironment::enter(argc, argv);
    int status = 1;
    {
        QCoreApplication app(argc, argv);
        registerWinPropsTypes();
        const int windows = std::max(1, app.arguments().value(2, QStringLiteral("25")).toInt());
        const int rounds = std::max(1, app.arguments().value(3, QStringLiteral("20")).toInt());
        status = kwin ? benchKwin(windows, rounds) : benchSway(windows, rounds);
    }
    TestEnvironment::leave();
    return status;
}

#include "wayland.moc"
