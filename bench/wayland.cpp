// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// bench-wayland sway|kwin|gnome [WINDOWS] [ROUNDS]: kivo-winpropsd on a headless compositor, run by
// scripts/bench-wayland. Measures
//   store:  from the store call to each of WINDOWS open X11 windows showing the change, and to
//           the last of them, over ROUNDS stores, each followed by the removal, timed too; on
//           KWin and GNOME Shell also the same change by the compositor's own means alone (the
//           floor: KWin's rules and reconfigure; a minimal extension for GNOME Shell), for new
//           windows too;
//   new:    from asking for a window (X11 under Xwayland, or a Wayland-native program) to its
//           properties in place, over WINDOWS windows opened one at a time, and how many the
//           compositor first had in the wrong state.
// What the compositor does is watched as it happens: sway's tree is asked for over its IPC
// socket in a loop (one look bounds the resolution); KWin tells through a script that calls back
// over D-Bus with the time on its own clock; GNOME Shell's windows are read back in a loop through
// the test's own extension. Prints "COMPOSITOR NAME MEDIAN_MS P95_MS COUNT".
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/wayland/gnomesession.h"
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

// KWin's own part of a store: a rule that keeps a class above, or from it, written and followed
// by a reconfigure call, as the service does.
bool kwinRulesKeepAbove(const QString &className, bool above)
{
    QFile rules(KwinSession::rulesPath());
    if (!rules.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    rules.write(QStringLiteral("[General]\ncount=1\nrules=bench\n\n[bench]\n"
                               "Description=bench\nwmclass=%1\nwmclassmatch=1\n"
                               "above=%2\naboverule=2\n")
                    .arg(className, above ? QStringLiteral("true") : QStringLiteral("false"))
                    .toUtf8());
    rules.close();
    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/KWin"), QStringLiteral("org.kde.KWin"),
        QStringLiteral("reconfigure")));
    return true;
}

// GNOME Shell's windows as the test's own extension reads them back, asked for in a loop (one look
// bounds the resolution). Applied: kept above. A window counts as announced when first seen.
class GnomeWatcher : public Watcher
{
public:
    explicit GnomeWatcher(GnomeSession &gnome)
        : m_gnome(gnome)
    {
    }

    void refresh() override
    {
        const qint64 start = now();
        const QList<QJsonObject> windows = m_gnome.windows();
        const qint64 time = now();
        m_polls.append(time - start);
        for (const QJsonObject &window : windows) {
            const QString name = window.value(QLatin1String("x11")).toBool()
                ? window.value(QLatin1String("instance")).toString()
                : window.value(QLatin1String("wmClass")).toString();
            const bool above = window.value(QLatin1String("above")).toBool();
            announce(name, above, time);
            note(name, above, time);
        }
    }
    const QVector<qint64> &polls() const { return m_polls; }

private:
    GnomeSession &m_gnome;
    QVector<qint64> m_polls;
};

// The floor extension's one call.
bool gnomeFloorKeepAbove(const QString &name, bool above)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kivo.BenchFloor"), QStringLiteral("/Floor"),
        QStringLiteral("org.kivo.BenchFloor"), QStringLiteral("SetAbove"));
    call.setArguments({ name, above });
    return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
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

    // The compositor's own means, before the service runs (KWin's rules, a minimal GNOME Shell
    // extension): the open windows kept above, then no longer, rounds times each.
    bool floorToOpenWindows(int rounds, const std::function<bool(const QString &, bool)> &setAbove)
    {
        QVector<qint64> each, last;
        for (int round = 0; round < 2 * rounds; ++round) {
            const bool above = round % 2 == 0;
            const qint64 start = now();
            if (!setAbove(openClassName, above) || !showAll(m_openNames, above))
                return fail("the open windows do not follow the compositor's own means");
            collect(start, each, last);
        }
        print("floor-each", each);
        print("floor-last", last);
        return setAbove(openClassName, false);
    }

    // Stores the record of a name.
    using Store = std::function<bool(const QString &name)>;
    Store records(const QString &properties)
    {
        return [this, properties](const QString &name) {
            return succeeded(m_apprc.setWindowProperties(name, properties));
        };
    }

    // X11 windows of one class, named by their instance.
    bool newX11Windows(int windows, const Store &store, const char *row = "new")
    {
        const QByteArray className = "KivoBenchNew";
        return newWindows(
            row, windows, { QString::fromLatin1(className) }, store, [this, className, row](int i) {
                const QByteArray name = row + QByteArray::number(i);
                const xcb_window_t window = m_client.open(X11TestClient::wmClass(name, className));
                return window ? Opened { QString::fromLatin1(name),
                                         [this, window] { m_client.destroy(window); } }
                              : Opened();
            });
    }

    // Wayland-native windows, each a program of its own with an app id, and a record, of its own.
    bool newWaylandWindows(int windows, const Store &store, const QProcessEnvironment &environment,
                           const char *row = "wayland-new")
    {
        QStringList appIds;
        for (int i = 0; i <= windows; ++i)
            appIds.append(QStringLiteral("org.kivo.bench%1%2")
                              .arg(QString::fromLatin1(row).remove(QLatin1Char('-')))
                              .arg(i));
        return newWindows(row, windows, appIds, store, [&](int i) {
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
    bool newWindows(const char *row, int windows, const QStringList &classNames, const Store &store,
                    const std::function<Opened(int)> &open)
    {
        for (const QString &className : classNames) {
            if (!store(className))
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
        || !bench.newX11Windows(windows, bench.records(properties))
        || !bench.newWaylandWindows(windows, bench.records(properties), sway.environment()))
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
    if (!bench.openWindows(windows) || !bench.floorToOpenWindows(rounds, kwinRulesKeepAbove)
        || !QFile::remove(KwinSession::rulesPath()))
        return 1;
    ServiceProcess service;
    const QString properties = QStringLiteral("no_title;no_border;ontop");
    return startService(service, kwin.environment())
            && bench.storeToOpenWindows(rounds, QStringLiteral("ontop"))
            && bench.newX11Windows(windows, bench.records(properties))
            && bench.newWaylandWindows(windows, bench.records(properties), kwin.environment())
        ? 0
        : 1;
}

int benchGnome(int windows, int rounds)
{
    GnomeSession gnome;
    gnome.addExtension(QStringLiteral(KIVO_SOURCE_DIR "/bench/gnome-floor@kivo.org"));
    if (!gnome.start()) {
        std::fprintf(stderr, "bench-wayland: %s\n", qPrintable(gnome.error()));
        return 1;
    }
    GnomeWatcher watcher(gnome);
    Bench bench("gnome", watcher, gnome.environment(), {});
    const auto floor = [](const QString &name) { return gnomeFloorKeepAbove(name, true); };
    if (!bench.openWindows(windows) || !bench.floorToOpenWindows(rounds, gnomeFloorKeepAbove)
        || !bench.newX11Windows(windows, floor, "floor-new")
        || !bench.newWaylandWindows(windows, floor, gnome.environment(), "floor-wayland-new"))
        return 1;
    // A class the floor still kept above would hide whether the service did.
    gnomeFloorKeepAbove(QStringLiteral("KivoBenchNew"), false);
    ServiceProcess service;
    const QString properties = QStringLiteral("ontop");
    if (!startService(service, gnome.environment()) || !bench.storeToOpenWindows(rounds, properties)
        || !bench.newX11Windows(windows, bench.records(properties))
        || !bench.newWaylandWindows(windows, bench.records(properties), gnome.environment()))
        return 1;
    bench.print("tree-poll", watcher.polls());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray compositor = argc > 1 ? argv[1] : "";
    if (compositor != "sway" && compositor != "kwin" && compositor != "gnome") {
        std::fprintf(stderr, "usage: bench-wayland sway|kwin|gnome [WINDOWS] [ROUNDS]\n");
        return 2;
    }
    // KWin and GNOME Shell refuse to run as root.
    compositor == "sway" ? TestEnvironment::enter(argc, argv)
                         : TestEnvironment::enterAsCompositorUser(argc, argv);
    int status = 1;
    {
        QCoreApplication app(argc, argv);
        registerWinPropsTypes();
        const int windows = std::max(1, app.arguments().value(2, QStringLiteral("25")).toInt());
        const int rounds = std::max(1, app.arguments().value(3, QStringLiteral("20")).toInt());
        status = compositor == "kwin" ? benchKwin(windows, rounds)
            : compositor == "gnome"   ? benchGnome(windows, rounds)
                                      : benchSway(windows, rounds);
    }
    TestEnvironment::leave();
    return status;
}

#include "wayland.moc"
