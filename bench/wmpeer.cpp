// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// bench-wm-peer DAEMON WORKDIR WINDOWS WM...: the daemon against devilspie2, per window manager.
// For each window manager it starts Xvfb with it, then the daemon holding one record and, after
// it, devilspie2 with the equivalent Lua rule: no frame, above the others, a given place and
// size. For each it opens WINDOWS windows one after another the way a program does (WM_CLASS set
// and the window mapped in one go) and follows each through the events of the window and of the
// frames around it: its first map, the time it is viewable while not all in place, and the
// moment all is in place (no frame left around it, _NET_WM_STATE_ABOVE, the place and size). The
// state is read back after each event, and only taken as the state at that event when no later
// event of the window arrived before the answers; times are those of the event's arrival here.
// Prints one line per window manager and tool: "WM TOOL COUNT PLACED LATENCY50 LATENCY95
// WRONG50 WRONG95 WRONGZERO" (milliseconds, or "never" for windows never all in place; PLACED:
// the windows all in place in the end; WRONGZERO: those never seen in a wrong state).
#include "platform/winprops/recordlines.h"
#include "tests/x11/x11session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <xcb/xcb.h>

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace {

const QString className = QStringLiteral("KivoPeer");
constexpr int wantedX = 100, wantedY = 80, wantedWidth = 300, wantedHeight = 200;
// Once in place, a window is watched this long more, in case something moves it again.
constexpr double settleMs = 300;
constexpr double giveUpMs = 5000;
constexpr int warmUpWindows = 2;

double nowMs()
{
    timespec clock {};
    clock_gettime(CLOCK_MONOTONIC, &clock);
    return clock.tv_sec * 1000.0 + clock.tv_nsec / 1e6;
}

template<typename T> struct FreeDeleter
{
    void operator()(T *pointer) const { std::free(pointer); }
};
template<typename T> using Reply = std::unique_ptr<T, FreeDeleter<T>>;

struct StampedEvent
{
    Reply<xcb_generic_event_t> event;
    double arrived;
};

// The window whose events an event reports to.
xcb_window_t receiverOf(const xcb_generic_event_t *event)
{
    switch (event->response_type & 0x7f) {
    case XCB_MAP_NOTIFY:
        return reinterpret_cast<const xcb_map_notify_event_t *>(event)->event;
    case XCB_UNMAP_NOTIFY:
        return reinterpret_cast<const xcb_unmap_notify_event_t *>(event)->event;
    case XCB_CONFIGURE_NOTIFY:
        return reinterpret_cast<const xcb_configure_notify_event_t *>(event)->event;
    case XCB_REPARENT_NOTIFY:
        return reinterpret_cast<const xcb_reparent_notify_event_t *>(event)->event;
    case XCB_DESTROY_NOTIFY:
        return reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->event;
    case XCB_GRAVITY_NOTIFY:
        return reinterpret_cast<const xcb_gravity_notify_event_t *>(event)->event;
    case XCB_PROPERTY_NOTIFY:
        return reinterpret_cast<const xcb_property_notify_event_t *>(event)->window;
    default:
        return XCB_WINDOW_NONE;
    }
}

struct Snapshot
{
    bool viewable = false;
    bool inPlace = false;
    bool above = false;
    // x, y, width, height on the screen: the window's and its top-level frame's.
    int client[4] = {};
    int frame[4] = {};

    QString describe() const
    {
        return QStringLiteral("window %1,%2 %3x%4, frame %5,%6 %7x%8, %9")
            .arg(client[0])
            .arg(client[1])
            .arg(client[2])
            .arg(client[3])
            .arg(frame[0])
            .arg(frame[1])
            .arg(frame[2])
            .arg(frame[3])
            .arg(above ? QStringLiteral("above") : QStringLiteral("not above"));
    }
};

// What happened to one window.
struct Trace
{
    double firstMapped = -1;
    double inPlaceSince = -1;
    double wrongVisible = 0;
    bool sawWrong = false;
    double lastEvaluated = -1;
    bool lastWrongVisible = false;
    Snapshot last;

    void note(const Snapshot &snapshot, double at)
    {
        last = snapshot;
        if (lastWrongVisible)
            wrongVisible += at - lastEvaluated;
        lastWrongVisible = snapshot.viewable && !snapshot.inPlace;
        sawWrong = sawWrong || lastWrongVisible;
        lastEvaluated = at;
        if (!snapshot.inPlace)
            inPlaceSince = -1;
        else if (inPlaceSince < 0)
            inPlaceSince = at;
    }
    bool done() const { return inPlaceSince >= 0 && firstMapped >= 0; }
    // From the first map to the last property in place; 0 when all was there before.
    double latency() const { return std::max(0.0, inPlaceSince - firstMapped); }
};

class Observer
{
public:
    explicit Observer(const QByteArray &display)
        : m_xcb(xcb_connect(display.constData(), nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_xcb)).data->root;
        m_state = atom("_NET_WM_STATE");
        m_above = atom("_NET_WM_STATE_ABOVE");
    }
    ~Observer() { xcb_disconnect(m_xcb); }

    bool connected() const { return !xcb_connection_has_error(m_xcb); }

    // Opens one window, follows it until it has been in place for a while (or until giving
    // up), then closes it; false when it never was in place.
    bool follow(Trace &trace)
    {
        m_window = open();
        m_watched = { m_window };
        trace = Trace();
        const double opened = nowMs();
        while (!settled(trace, opened)) {
            if (!waitForEvent(trace.inPlaceSince >= 0 ? trace.inPlaceSince + settleMs
                                                      : opened + giveUpMs))
                continue;
            handle(trace);
        }
        const bool placed = trace.done();
        close();
        return placed;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_xcb, xcb_intern_atom(m_xcb, 0, std::strlen(name), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    // As a program opens a window: its class and its map in one go.
    xcb_window_t open()
    {
        const xcb_window_t window = xcb_generate_id(m_xcb);
        const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_xcb, XCB_COPY_FROM_PARENT, window, m_root, 0, 0, 200, 150, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
        const QByteArray wmClass = QByteArray("kivopeer\0", 9) + className.toLatin1() + '\0';
        xcb_change_property(m_xcb, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                            XCB_ATOM_STRING, 8, wmClass.size(), wmClass.constData());
        xcb_change_property(m_xcb, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                            8, 4, "Peer");
        xcb_map_window(m_xcb, window);
        xcb_flush(m_xcb);
        return window;
    }

    void close()
    {
        xcb_destroy_window(m_xcb, m_window);
        xcb_flush(m_xcb);
        for (;;) {
            if (m_pending.empty() && !waitForEvent(nowMs() + giveUpMs))
                return;
            const StampedEvent next = take();
            if ((next.event->response_type & 0x7f) == XCB_DESTROY_NOTIFY
                && receiverOf(next.event.get()) == m_window)
                return;
        }
    }

    bool settled(const Trace &trace, double opened) const
    {
        const double now = nowMs();
        return (trace.done() && now >= trace.inPlaceSince + settleMs) || now >= opened + giveUpMs;
    }

    // Moves what arrived into the queue; false when nothing came before the deadline.
    bool waitForEvent(double deadline)
    {
        if (!m_pending.empty())
            return true;
        const int timeout = std::max(0, int(deadline - nowMs()) + 1);
        pollfd descriptor { xcb_get_file_descriptor(m_xcb), POLLIN, 0 };
        if (!xcb_poll_for_queued_event(m_xcb) && poll(&descriptor, 1, timeout) <= 0)
            return false;
        drain();
        return !m_pending.empty();
    }

    void drain()
    {
        const double arrived = nowMs();
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_xcb))
            m_pending.push_back({ Reply<xcb_generic_event_t>(event), arrived });
    }

    StampedEvent take()
    {
        StampedEvent next = std::move(m_pending.front());
        m_pending.pop_front();
        return next;
    }

    void handle(Trace &trace)
    {
        const StampedEvent next = take();
        const xcb_generic_event_t *event = next.event.get();
        if (std::find(m_watched.begin(), m_watched.end(), receiverOf(event)) == m_watched.end())
            return;
        const int type = event->response_type & 0x7f;
        if (type == XCB_MAP_NOTIFY && receiverOf(event) == m_window && trace.firstMapped < 0)
            trace.firstMapped = next.arrived;
        if (type == XCB_REPARENT_NOTIFY)
            watchAncestors();
        const Snapshot snapshot = read();
        drain();
        // A later event of the window came before the answers: they tell of that one.
        if (std::none_of(m_pending.begin(), m_pending.end(), [this](const StampedEvent &e) {
                return std::find(m_watched.begin(), m_watched.end(), receiverOf(e.event.get()))
                    != m_watched.end();
            }))
            trace.note(snapshot, next.arrived);
    }

    // The frames around the window: their maps and moves change what is seen too.
    void watchAncestors()
    {
        m_watched = { m_window };
        const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        for (xcb_window_t parent = parentOf(m_window);
             parent != XCB_WINDOW_NONE && parent != m_root; parent = parentOf(parent)) {
            xcb_change_window_attributes(m_xcb, parent, XCB_CW_EVENT_MASK, &events);
            m_watched.push_back(parent);
        }
    }

    xcb_window_t parentOf(xcb_window_t window)
    {
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_xcb, xcb_query_tree(m_xcb, window), nullptr));
        return tree ? tree->parent : xcb_window_t(XCB_WINDOW_NONE);
    }

    // The rectangle on the screen, the X border included.
    bool outerRect(xcb_window_t window, int rect[4])
    {
        const Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_xcb, xcb_get_geometry(m_xcb, window), nullptr));
        const Reply<xcb_translate_coordinates_reply_t> position(xcb_translate_coordinates_reply(
            m_xcb, xcb_translate_coordinates(m_xcb, window, m_root, 0, 0), nullptr));
        if (!geometry || !position)
            return false;
        const int border = geometry->border_width;
        rect[0] = position->dst_x - border;
        rect[1] = position->dst_y - border;
        rect[2] = geometry->width + 2 * border;
        rect[3] = geometry->height + 2 * border;
        return true;
    }

    bool isAbove()
    {
        const Reply<xcb_get_property_reply_t> states(xcb_get_property_reply(
            m_xcb, xcb_get_property(m_xcb, 0, m_window, m_state, XCB_ATOM_ATOM, 0, 64), nullptr));
        if (!states || states->format != 32)
            return false;
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(states.get()));
        const int count = xcb_get_property_value_length(states.get()) / 4;
        return std::find(atoms, atoms + count, m_above) != atoms + count;
    }

    Snapshot read()
    {
        Snapshot snapshot;
        const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            m_xcb, xcb_get_window_attributes(m_xcb, m_window), nullptr));
        snapshot.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (!outerRect(m_window, snapshot.client) || !outerRect(m_watched.back(), snapshot.frame))
            return snapshot;
        snapshot.above = isAbove();
        const int wanted[4] = { wantedX, wantedY, wantedWidth, wantedHeight };
        snapshot.inPlace = std::equal(snapshot.client, snapshot.client + 4, wanted)
            && std::equal(snapshot.frame, snapshot.frame + 4, wanted) && snapshot.above;
        return snapshot;
    }

    xcb_connection_t *m_xcb;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_atom_t m_state = XCB_ATOM_NONE;
    xcb_atom_t m_above = XCB_ATOM_NONE;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    // The window and the frames around it, innermost first.
    std::vector<xcb_window_t> m_watched;
    std::deque<StampedEvent> m_pending;
};

double percentile(std::vector<double> values, int percent)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t rank = (values.size() * percent + 99) / 100;
    return values[std::max<size_t>(1, rank) - 1];
}

// A figure in milliseconds, or "never" for windows never all in place.
QByteArray figure(double milliseconds)
{
    return std::isinf(milliseconds) ? QByteArrayLiteral("never")
                                    : QByteArray::number(milliseconds, 'f', 2);
}

// Windows never all in place count as never, in the percentiles too.
void report(const QString &windowManager, const char *tool, int count,
            const std::vector<Trace> &traces)
{
    std::vector<double> latencies(count, INFINITY), wrong(count, INFINITY);
    int placed = 0, neverWrong = 0;
    for (const Trace &trace : traces) {
        if (!trace.done())
            continue;
        latencies[placed] = trace.latency();
        wrong[placed] = trace.wrongVisible;
        neverWrong += !trace.sawWrong;
        ++placed;
    }
    std::printf("%s %s %d %d %s %s %s %s %d\n", qPrintable(windowManager), tool, count, placed,
                figure(percentile(latencies, 50)).constData(),
                figure(percentile(latencies, 95)).constData(),
                figure(percentile(wrong, 50)).constData(),
                figure(percentile(wrong, 95)).constData(), neverWrong);
    std::fflush(stdout);
}

// Follows count windows after a few unmeasured ones; none when even those are never in place.
std::vector<Trace> measure(Observer &observer, int count, const QString &label)
{
    Trace trace;
    std::vector<Trace> traces;
    for (int i = 0; i < warmUpWindows; ++i) {
        if (observer.follow(trace))
            break;
        if (i == warmUpWindows - 1) {
            std::fprintf(stderr, "%s: not even the first windows all in place after %.0f ms: %s\n",
                         qPrintable(label), giveUpMs, qPrintable(trace.last.describe()));
            return traces;
        }
    }
    for (int opened = 0; opened < count; ++opened) {
        if (!observer.follow(trace))
            std::fprintf(stderr, "%s: a window not all in place after %.0f ms: %s\n",
                         qPrintable(label), giveUpMs, qPrintable(trace.last.describe()));
        traces.push_back(trace);
    }
    return traces;
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) > 0
        && file.flush();
}

QByteArray devilspieRule()
{
    return QStringLiteral("if get_window_class() == \"%1\" then\n"
                          "    undecorate_window()\n"
                          "    make_always_on_top()\n"
                          "    set_window_geometry2(%2, %3, %4, %5)\n"
                          "end\n")
        .arg(className)
        .arg(wantedX)
        .arg(wantedY)
        .arg(wantedWidth)
        .arg(wantedHeight)
        .toUtf8();
}

QString record()
{
    return QStringLiteral("%1;no_title;no_border;ontop;geometry=%2x%3+%4+%5")
        .arg(className)
        .arg(wantedWidth)
        .arg(wantedHeight)
        .arg(wantedX)
        .arg(wantedY);
}

struct Tool
{
    const char *name;
    QString program;
    QStringList arguments;
    // Something it prints once it is ready; empty: ready once started.
    QByteArray ready;
};

void runTool(X11Session &session, const QString &windowManager, const Tool &tool, int count)
{
    QProcess process;
    process.setProcessEnvironment(session.environment());
    process.start(tool.program, tool.arguments);
    QByteArray log;
    const bool ready = process.waitForStarted()
        && X11Session::waitFor(
                           [&] {
                               log += process.readAllStandardError();
                               return log.contains(tool.ready);
                           },
                           60000);
    Observer observer(session.display());
    const QString label = windowManager + QLatin1Char(' ') + QLatin1String(tool.name);
    const std::vector<Trace> traces
        = ready && observer.connected() ? measure(observer, count, label) : std::vector<Trace>();
    report(windowManager, tool.name, count, traces);
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished();
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench-wm-peer: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 5)
        return fail("usage: bench-wm-peer DAEMON WORKDIR WINDOWS WM...");
    const QString storage = arguments.at(2) + QStringLiteral("/peer-winprops");
    const QString rules = arguments.at(2) + QStringLiteral("/devilspie2");
    const int count = arguments.at(3).toInt();
    if (!writeFile(storage, recordLines({ WinProps(record()) })) || !QDir().mkpath(rules)
        || !writeFile(rules + QStringLiteral("/peer.lua"), devilspieRule()))
        return fail("cannot write the record or the rule");
    const Tool tools[] = {
        { "kivo-winpropsd", arguments.at(1), { QStringLiteral("--storage"), storage }, "Applying" },
        { "devilspie2", QStringLiteral("devilspie2"), { QStringLiteral("--folder"), rules }, {} },
    };
    for (const QString &windowManager : arguments.mid(4)) {
        X11Session session;
        if (!session.startServer() || !session.startWindowManager(windowManager))
            return fail(qPrintable(session.error()));
        for (const Tool &tool : tools)
            runTool(session, windowManager, tool, count);
    }
    return 0;
}
