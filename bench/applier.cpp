// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// bench-applier DAEMON WORKDIR [OPENINGS]: the applier rows of scripts/bench. Starts Xvfb with
// Openbox and DAEMON on it, holding 10,000 generated records and 100 that match windows, opens
// those 100 windows in one burst and measures for each the time from its naming (WM_CLASS, set
// right after it is created) to the last of its properties read back (on top, the opacity, the
// frame without a title), in the server's own timestamps. Then 1,000 stores in a burst with 200
// windows of one program open (the time from the last answer to the last window in the final
// state). Then it opens and closes OPENINGS windows (default 10,000) a hundred at a time, and
// compares the daemon's resident memory after the first hundred and after the last, and the
// processor time it takes while nothing happens.
// Prints result lines "NAME N VALUE KILOBYTES" for scripts/bench.
#include "bench/benchrecords.h"
#include "platform/winprops/recordlines.h"
#include "platform/x11/x11windows.h"
#include "tests/common/testenvironment.h"
#include "tests/x11/x11session.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <unistd.h>

namespace {

constexpr int recordCount = 10000;
constexpr int burstSize = 100;
constexpr int singleWindows = 20;
const QString matchingProperties = QStringLiteral("no_title;ontop;transparency=20");

struct Timing
{
    qint64 appeared = -1;
    qint64 above = -1;
    qint64 opacity = -1;
    qint64 untitled = -1;

    bool done() const { return appeared >= 0 && above >= 0 && opacity >= 0 && untitled >= 0; }
    qint64 duration() const { return std::max({ above, opacity, untitled }) - appeared; }
};

QString className(int i)
{
    return QStringLiteral("KivoBench%1").arg(i);
}

bool writeStorage(const QString &path)
{
    WinPropsList records = BenchRecords::generate(recordCount - burstSize);
    for (int i = 0; i < burstSize; ++i)
        records.append(WinProps(className(i) + QLatin1Char(';') + matchingProperties));
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(recordLines(records)) > 0 && file.flush();
}

// User and system time in clock ticks.
qint64 processorTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

class Burst
{
public:
    explicit Burst(X11Connection &x11)
        : m_x11(x11)
    {
    }

    // Opens the windows of classes 0 to count - 1 at once and waits until each is done.
    bool run(int count = burstSize, int timeoutMs = 60000)
    {
        m_timings.clear();
        for (int i = 0; i < count; ++i)
            m_timings.insert(open(i), Timing());
        xcb_flush(m_x11.xcb());
        return waitUntil(
            [this] {
                return std::all_of(m_timings.cbegin(), m_timings.cend(),
                                   [](const Timing &t) { return t.done(); });
            },
            timeoutMs);
    }

    bool close(int timeoutMs = 60000)
    {
        for (auto it = m_timings.cbegin(); it != m_timings.cend(); ++it)
            xcb_destroy_window(m_x11.xcb(), it.key());
        xcb_flush(m_x11.xcb());
        return waitUntil(
            [this] {
                const QVector<xcb_window_t> listed = X11::readClientList(m_x11);
                return std::none_of(m_timings.keyBegin(), m_timings.keyEnd(),
                                    [&](xcb_window_t w) { return listed.contains(w); });
            },
            timeoutMs);
    }

    void report() const
    {
        int counts[4] = {};
        for (const Timing &t : m_timings) {
            counts[0] += t.appeared < 0;
            counts[1] += t.above < 0;
            counts[2] += t.opacity < 0;
            counts[3] += t.untitled < 0;
        }
        std::fprintf(stderr, "missing: listed %d, above %d, opacity %d, untitled %d\n", counts[0],
                     counts[1], counts[2], counts[3]);
    }

    // Until the last property, or until the applier's own write (the opacity).
    QVector<qint64> durations(bool ownWrite = false) const
    {
        QVector<qint64> result;
        for (const Timing &timing : m_timings)
            result.append(ownWrite ? timing.opacity - timing.appeared : timing.duration());
        return result;
    }

    void handle(const xcb_generic_event_t *event)
    {
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return;
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (notify->window == m_x11.root())
            return;
        const auto found = m_timings.find(notify->window);
        if (found != m_timings.end())
            noteProperty(notify->window, notify->atom, notify->time, *found);
    }

private:
    xcb_window_t open(int i)
    {
        const xcb_window_t window = xcb_generate_id(m_x11.xcb());
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_x11.xcb(), XCB_COPY_FROM_PARENT, window, m_x11.root(), 10 * (i % 50),
                          10 * (i / 50), 160, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        const QByteArray wmClass = QByteArray("bench") + '\0' + className(i).toLatin1() + '\0';
        xcb_change_property(m_x11.xcb(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                            XCB_ATOM_STRING, 8, wmClass.size(), wmClass.constData());
        xcb_map_window(m_x11.xcb(), window);
        return window;
    }

    void noteProperty(xcb_window_t window, xcb_atom_t atom, qint64 time, Timing &timing)
    {
        // Named: from here on the service can know which record applies.
        if (atom == XCB_ATOM_WM_CLASS && timing.appeared < 0)
            timing.appeared = time;
        else if (atom == m_x11.ewmh()->_NET_WM_STATE && timing.above < 0
                 && X11::wmStates(m_x11, window).contains(m_x11.ewmh()->_NET_WM_STATE_ABOVE))
            timing.above = time;
        else if (atom == m_x11.atoms().wmWindowOpacity && timing.opacity < 0)
            timing.opacity = time;
        else if (atom == m_x11.ewmh()->_NET_FRAME_EXTENTS && timing.untitled < 0
                 && X11::frameExtents(m_x11, window) == QMargins(1, 1, 1, 1))
            timing.untitled = time;
    }

    bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer poke;
        // The events wake the loop; the timer only bounds the wait.
        QObject::connect(&poke, &QTimer::timeout, &loop, &QEventLoop::quit);
        poke.start(100);
        while (!condition()) {
            if (clock.elapsed() > timeoutMs)
                return false;
            loop.exec();
        }
        return true;
    }

    X11Connection &m_x11;
    QHash<xcb_window_t, Timing> m_timings;
};

// 1,000 stores in a burst, alternating on top and at the bottom, with stormWindows windows of one
// program open: the milliseconds from the last answer to the last window in the final state.
constexpr int stormWindows = 200;
constexpr int stormStores = 1000;

qint64 storm(X11Connection &x11)
{
    const QString stormClass = QStringLiteral("KivoStorm");
    QVector<xcb_window_t> windows;
    for (int i = 0; i < stormWindows; ++i) {
        const xcb_window_t window = xcb_generate_id(x11.xcb());
        xcb_create_window(x11.xcb(), XCB_COPY_FROM_PARENT, window, x11.root(), 2 * i, 2 * i, 120,
                          80, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const QByteArray wmClass = QByteArray("storm") + '\0' + stormClass.toLatin1() + '\0';
        xcb_change_property(x11.xcb(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                            XCB_ATOM_STRING, 8, wmClass.size(), wmClass.constData());
        xcb_map_window(x11.xcb(), window);
        windows.append(window);
    }
    xcb_flush(x11.xcb());
    if (!X11Session::waitFor([&] { return X11::readClientList(x11).size() >= stormWindows; },
                             60000))
        return -1;
    QDBusConnection bus = QDBusConnection::sessionBus();
    QList<QDBusPendingCall> calls;
    for (int i = 0; i < stormStores; ++i) {
        QDBusMessage store = QDBusMessage::createMethodCall(
            QStringLiteral("org.kivo.kivo-winprops"), QStringLiteral("/Apprc"),
            QStringLiteral("org.kivo.Kivo.WinProps.Apprc"), QStringLiteral("setWindowProperties"));
        store.setArguments(
            { stormClass, i % 2 ? QStringLiteral("onbottom") : QStringLiteral("ontop") });
        calls.append(bus.asyncCall(store));
    }
    for (QDBusPendingCall &call : calls)
        call.waitForFinished();
    QElapsedTimer sinceLastAnswer;
    sinceLastAnswer.start();
    const xcb_atom_t last = x11.ewmh()->_NET_WM_STATE_BELOW;
    const xcb_atom_t other = x11.ewmh()->_NET_WM_STATE_ABOVE;
    const bool settled = X11Session::waitFor(
        [&] {
            return std::all_of(windows.cbegin(), windows.cend(), [&](xcb_window_t window) {
                const QVector<xcb_atom_t> states = X11::wmStates(x11, window);
                return states.contains(last) && !states.contains(other);
            });
        },
        120000);
    const qint64 elapsed = sinceLastAnswer.elapsed();
    for (const xcb_window_t window : qAsConst(windows))
        xcb_destroy_window(x11.xcb(), window);
    xcb_flush(x11.xcb());
    return settled ? elapsed : -1;
}

qint64 percentile(QVector<qint64> sorted, int percent)
{
    std::sort(sorted.begin(), sorted.end());
    if (sorted.isEmpty())
        return -1;
    const int index = std::min<int>(sorted.size() - 1, (sorted.size() * percent + 99) / 100 - 1);
    return sorted.at(std::max(0, index));
}

// Median and 95th percentile in microseconds, from milliseconds.
void print(const char *name, const QVector<qint64> &durations)
{
    std::printf("%s %d %lld 0\n", name, recordCount, percentile(durations, 50) * 1000);
    std::printf("%s95 %d %lld 0\n", name, recordCount, percentile(durations, 95) * 1000);
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench-applier: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3)
        return fail("usage: bench-applier DAEMON WORKDIR [OPENINGS]");
    const int openings = arguments.value(3, QStringLiteral("10000")).toInt();
    const QString storage = arguments.at(2) + QStringLiteral("/applier-winprops");
    if (!writeStorage(storage))
        return fail("cannot write the storage file");

    X11Session session;
    if (!session.startServer() || !session.startWindowManager())
        return fail(qPrintable(session.error()));
    QProcess daemon;
    daemon.setProcessEnvironment(session.environment());
    daemon.start(arguments.at(1), { QStringLiteral("--storage"), storage });
    QByteArray log;
    if (!X11Session::waitFor(
            [&] {
                log += daemon.readAllStandardError();
                return log.contains("Applying");
            },
            60000))
        return fail("the daemon does not start applying");

    X11Connection &x11 = session.x11();
    const uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(x11.xcb(), x11.root(), XCB_CW_EVENT_MASK, &rootEvents);
    Burst burst(x11);
    QObject::connect(&x11, &X11Connection::eventReceived, &app,
                     [&burst](const xcb_generic_event_t *event) { burst.handle(event); });
    x11.watch();
    if (!burst.run()) {
        burst.report();
        return fail("not every window of the burst got its properties");
    }
    print("applierburst", burst.durations());
    print("applierown", burst.durations(true));
    if (!burst.close())
        return fail("the burst's windows do not close");
    QVector<qint64> oneByOne;
    for (int i = 0; i < singleWindows; ++i) {
        if (!burst.run(1) || !burst.close())
            return fail("a single window did not get its properties");
        oneByOne += burst.durations();
    }
    print("appliersingle", oneByOne);
    const qint64 stormed = storm(x11);
    if (stormed < 0)
        return fail("the windows did not all come to the last of a burst of stores");
    std::printf("applierstorm %d %lld 0\n", stormStores, stormed * 1000);

    const qint64 pid = daemon.processId();
    qint64 firstRss = -1;
    for (int opened = 0; opened < openings; opened += burstSize) {
        if (!burst.run() || !burst.close())
            return fail("a hundred windows were not handled");
        if (firstRss < 0)
            firstRss = TestEnvironment::residentKilobytes(pid);
    }
    const qint64 lastRss = TestEnvironment::residentKilobytes(pid);
    std::printf("applierrss %d 0 %lld\n", openings, firstRss);
    std::printf("applierrss %d 0 %lld\n", openings, lastRss);

    const qint64 ticksBefore = processorTicks(pid);
    constexpr int idleSeconds = 5;
    QThread::sleep(idleSeconds);
    const qint64 ticks = processorTicks(pid) - ticksBefore;
    std::printf("applieridle %d %lld 0\n", idleSeconds,
                ticks * 1000000 / std::max(1L, sysconf(_SC_CLK_TCK)));
    daemon.terminate();
    daemon.waitForFinished();
    return 0;
}
