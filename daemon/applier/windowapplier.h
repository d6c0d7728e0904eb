// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_WINDOWAPPLIER_H
#define KIVO_WINDOWAPPLIER_H

#include "daemon/applier/applydecision.h"
#include "daemon/applier/iconimages.h"
#include "daemon/applier/placement.h"
#include "daemon/applier/windowoverrides.h"
#include "daemon/sway/swaycommands.h"
#include "daemon/sway/swayipc.h"
#include "daemon/windowsbackend.h"
#include "platform/x11/x11connection.h"
#include "platform/x11/x11windows.h"

#include <QAtomicInt>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <memory>

// Applies the stored window properties to the windows of an X11 display: to the windows open
// when it starts, to every window as it appears, and to the open windows again whenever the
// records change. It works from the display's events only.
class WindowApplier : public WindowsBackend
{
    Q_OBJECT

public:
    // How long after a window appeared "close soon" asks it to close.
    static constexpr int closeSoonDelayMs = 500;
    // How long after its start geometry a window's frame may still settle.
    static constexpr int frameSettleMs = 3000;
    // Long enough for a window manager to have drawn the frame after the first resize.
    static constexpr int reframeDelayMs = 100;
    // _NET_WM_DESKTOP of a window on all desktops.
    static constexpr quint32 allDesktops = 0xFFFFFFFFu;
    // A burst: more changes than this within one interval. The open windows then follow at most
    // once per interval.
    static constexpr int burstChanges = 4;
    static constexpr int burstIntervalMs = 100;

    explicit WindowApplier(QObject *parent = nullptr);
    ~WindowApplier() override;

    // Connects to the display of DISPLAY, then applies; says why not where it cannot.
    void start(const WinPropsList &records) override;
    void setRecords(const WinPropsList &records) override;
    // From any thread: the newest records, in force before the applier handles its next event.
    void post(const WinPropsList &records);
    // From any thread: the socket of its connection, -1 before there is one.
    int socketDescriptor() const { return m_socket.loadAcquire(); }

private:
    struct TrackedWindow
    {
        quint64 serial = 0;
        std::optional<X11::WmClass> wmClass;
        bool startPending = false;
        bool markedStarted = false;
        LastingProps applied;
        WindowOverrides overrides;
        // Its own states were found recorded: the others it has were asked for before.
        bool statesAdopted = false;
        // The window's own values, read for a whole burst of windows at once.
        QHash<xcb_atom_t, X11::RawProperty> prefetched;
        // A start geometry placed with these frame extents, placed again once if the window
        // manager publishes the frame soon after.
        std::optional<GeometrySpec> placed;
        QMargins placedFrame;
        // Before the map: the states asked for, kept when the program sets its own again.
        QVector<xcb_atom_t> askedStates;
        int stateRewrites = 0;
    };

    bool open();
    void takePosted();
    void applyRecords();
    void endBurstInterval();
    void handleEvent(const xcb_generic_event_t *event);
    void handlePropertyChange(xcb_window_t window, xcb_atom_t atom);
    void recomposeOverride(xcb_window_t window, TrackedWindow &tracked, xcb_atom_t atom);
    void watchUnmanaged(xcb_window_t window);
    void applyBeforeMap(xcb_window_t window);
    QVector<xcb_atom_t> statesAskedBy(const ApplyDecision &decision) const;
    void askStatesBeforeMap(xcb_window_t window, TrackedWindow &early,
                            const ApplyDecision &decision);
    void writeAskedStates(xcb_window_t window, TrackedWindow &early);
    void keepAskedStates(xcb_window_t window, TrackedWindow &early);
    void connectionLost(const QString &reason);
    void readDesktop();
    void syncWindows();
    QVector<xcb_window_t> currentWindows();
    void addWindows(const QVector<xcb_window_t> &windows, bool areNew);
    void prefetchOwnValues(const QVector<xcb_window_t> &windows);
    QVector<xcb_atom_t> ownValuesNeeded(Aspects changes) const;
    std::optional<X11::RawProperty> ownValue(xcb_window_t window, const TrackedWindow &tracked,
                                             xcb_atom_t atom);
    const WinProps *recordOf(const TrackedWindow &tracked) const;
    void forgetWindow(xcb_window_t window);
    void applyAll();
    void apply(xcb_window_t window, TrackedWindow &tracked);
    void applyLasting(xcb_window_t window, TrackedWindow &tracked, const ApplyDecision &decision);
    void recordOwnStates(xcb_window_t window, TrackedWindow &tracked);
    void applyState(xcb_window_t window, TrackedWindow &tracked, bool on, xcb_atom_t state);
    void applyDesktop(xcb_window_t window, TrackedWindow &tracked, bool allDesktops);
    void applyFocus(xcb_window_t window, TrackedWindow &tracked, bool noFocus);
    void applyIcon(xcb_window_t window, TrackedWindow &tracked, const LastingProps &lasting);
    void applyStart(xcb_window_t window, TrackedWindow &tracked, const ApplyDecision &decision);
    void awaitFrame(xcb_window_t window, TrackedWindow &tracked, const GeometrySpec &geometry);
    void placeAgainIfFramed(xcb_window_t window, TrackedWindow &tracked);
    void applyGeometry(xcb_window_t window, TrackedWindow &tracked, const GeometrySpec &geometry,
                       bool frameless);
    Placement placementOf(xcb_window_t window, const GeometrySpec &geometry, bool frameless) const;
    void keepPlacedHints(xcb_window_t window, TrackedWindow &tracked, const Placement &placement,
                         const GeometrySpec &geometry);
    void reportIfPlacedElsewhere(xcb_window_t window, const TrackedWindow &tracked,
                                 const GeometrySpec &geometry);
    static WindowOverrides::Composer placedHints(const Placement &placement);
    void configure(xcb_window_t window, const QRect &rect);
    bool configureUntaken(xcb_window_t window, const QRect &rect);
    void closeSoon(xcb_window_t window, quint64 serial);
    void overrideProperty(xcb_window_t window, TrackedWindow &tracked, xcb_atom_t atom,
                          const WindowOverrides::Composer &compose);
    void restoreProperty(xcb_window_t window, TrackedWindow &tracked, xcb_atom_t atom);
    bool restoresMotifInFull() const;
    void adoptRecorded(TrackedWindow &tracked, const std::optional<X11::RawProperty> &originals,
                       const std::optional<X11::RawProperty> &started);
    void markStarted(xcb_window_t window, TrackedWindow &tracked);
    void takeOverAskedStates(xcb_window_t window, TrackedWindow &tracked);
    void reportUnmeasured(const WinProps &record);
    void reportFramesKept(const TrackedWindow &tracked, const WinProps *record);
    void connectI3();
    void commandFrame(xcb_window_t window);
    void reframe(xcb_window_t window, int attempt = 0);
    bool asksForFrameHints(const TrackedWindow &tracked) const;
    void resizeWidth(xcb_window_t window, int width);
    QString describe(xcb_window_t window, const TrackedWindow &tracked) const;

    std::unique_ptr<X11Connection> m_x11;
    RecordMatcher m_matcher;
    DesktopTraits m_desktop;
    QString m_windowManagerName;
    QHash<xcb_window_t, TrackedWindow> m_windows;
    // New top-level windows not yet mapped, nor taken by the window manager.
    QSet<xcb_window_t> m_unmanaged;
    // New windows given properties before the window manager took them.
    QHash<xcb_window_t, TrackedWindow> m_beforeMap;
    // The X border new windows were created with, where they have one.
    QHash<xcb_window_t, int> m_borders;
    IconImages m_icons;
    quint64 m_nextSerial = 1;
    bool m_started = false;
    // Windows being resized by a pixel and back; true: asked again meanwhile.
    QHash<xcb_window_t, bool> m_reframing;
    bool m_moveResizeSupported = false;
    // i3's IPC, where frames of shown windows are changed by its command; the windows wait for
    // its default border.
    std::unique_ptr<SwayIpc> m_i3;
    std::optional<SwayBorder> m_i3Border;
    QVector<xcb_window_t> m_i3Waiting;
    QMutex m_postedMutex;
    WinPropsList m_posted;
    QAtomicInt m_hasPosted;
    QAtomicInt m_socket = -1;
    QTimer m_burstInterval;
    int m_appliedInInterval = 0;
    bool m_applyDue = false;
};

#endif
