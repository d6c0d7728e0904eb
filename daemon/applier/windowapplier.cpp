// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applier/windowapplier.h"

#include "platform/winprops/winpropsfields.h"

#include <QJsonObject>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

const QString notApplied = QStringLiteral("window properties are kept but not applied to windows.");

} // namespace

WindowApplier::WindowApplier(QObject *parent)
    : WindowsBackend(parent)
    , m_burstInterval(this) // moved with it to its thread
{
    m_burstInterval.setSingleShot(true);
    m_burstInterval.setInterval(burstIntervalMs);
    connect(&m_burstInterval, &QTimer::timeout, this, &WindowApplier::endBurstInterval);
}

WindowApplier::~WindowApplier() = default;

bool WindowApplier::open()
{
    QString error;
    m_x11 = X11Connection::open(QByteArray(), &error);
    if (!m_x11) {
        const QString line = error + QStringLiteral("; ") + notApplied;
        setEffects(DesktopEffects::nothingApplies(line));
        Q_EMIT notice(line);
        return false;
    }
    m_socket.storeRelease(xcb_get_file_descriptor(m_x11->xcb()));
    connect(m_x11.get(), &X11Connection::eventReceived, this, &WindowApplier::handleEvent);
    connect(m_x11.get(), &X11Connection::lost, this, &WindowApplier::connectionLost);
    return true;
}

void WindowApplier::start(const WinPropsList &records)
{
    if (!open())
        return;
    const uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_x11->xcb(), m_x11->root(), XCB_CW_EVENT_MASK, &rootEvents);
    readDesktop();
    m_matcher = RecordMatcher(records);
    // Selected before the windows are listed, so that a window appearing meanwhile is not missed.
    addWindows(currentWindows(), false);
    m_started = true;
    m_x11->watch();
    const QString display = QString::fromLocal8Bit(m_x11->displayName());
    Q_EMIT notice(qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                      ? QStringLiteral("Applying window properties to the windows of the X "
                                       "display %1.")
                            .arg(display)
                      : QStringLiteral("Applying window properties to the X11 windows of %1 "
                                       "only: native Wayland windows get none.")
                            .arg(display));
}

void WindowApplier::setRecords(const WinPropsList &records)
{
    m_matcher = RecordMatcher(records);
    applyRecords();
}

void WindowApplier::applyRecords()
{
    if (!m_x11 || !m_started)
        return;
    // A window created before the record came is still waiting for the window manager.
    const QList<xcb_window_t> unmanaged = m_unmanaged.values();
    for (const xcb_window_t window : unmanaged)
        applyBeforeMap(window);
    readDesktop();
    applyAll();
    m_x11->flush();
}

void WindowApplier::post(const WinPropsList &records)
{
    QMutexLocker lock(&m_postedMutex);
    m_posted = records;
    if (m_hasPosted.fetchAndStoreRelease(1) == 0)
        QMetaObject::invokeMethod(this, &WindowApplier::takePosted, Qt::QueuedConnection);
}

void WindowApplier::takePosted()
{
    WinPropsList records;
    {
        QMutexLocker lock(&m_postedMutex);
        if (!m_hasPosted.loadAcquire())
            return;
        records = std::exchange(m_posted, WinPropsList());
        m_hasPosted.storeRelease(0);
    }
    // New windows meet the newest records at once. In a burst of changes the open windows follow
    // at most once per interval, each time to the newest: the burst ends in its last state at
    // once, and the window manager is not flooded with the states in between.
    m_matcher = RecordMatcher(records);
    if (m_appliedInInterval >= burstChanges) {
        m_applyDue = true;
        return;
    }
    applyRecords();
    ++m_appliedInInterval;
    m_burstInterval.start();
}

// A burst lasts until an interval passes without a change held back.
void WindowApplier::endBurstInterval()
{
    if (!std::exchange(m_applyDue, false)) {
        m_appliedInInterval = 0;
        return;
    }
    applyRecords();
    m_burstInterval.start();
}

void WindowApplier::handleEvent(const xcb_generic_event_t *event)
{
    // Records stored before a window appeared are in force when its events are handled, however
    // many events were read in one go.
    if (m_hasPosted.loadAcquire())
        takePosted();
    switch (event->response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        handlePropertyChange(notify->window, notify->atom);
        break;
    }
    case XCB_MAP_NOTIFY: {
        // Without a window manager, mapping a top-level window is what makes it appear.
        const auto *notify = reinterpret_cast<const xcb_map_notify_event_t *>(event);
        m_unmanaged.remove(notify->window);
        m_beforeMap.remove(notify->window);
        if (!m_desktop.windowManager && notify->event == m_x11->root() && !notify->override_redirect
            && !m_windows.contains(notify->window))
            addWindows({ notify->window }, true);
        break;
    }
    case XCB_CREATE_NOTIFY: {
        const auto *notify = reinterpret_cast<const xcb_create_notify_event_t *>(event);
        if (notify->parent == m_x11->root() && !notify->override_redirect
            && !m_windows.contains(notify->window)) {
            if (notify->border_width)
                m_borders.insert(notify->window, notify->border_width);
            watchUnmanaged(notify->window);
        }
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        // Taken into a frame: from now on the window manager has read its hints.
        const xcb_window_t window
            = reinterpret_cast<const xcb_reparent_notify_event_t *>(event)->window;
        m_unmanaged.remove(window);
        // It may have read the frame hints before they were written.
        const auto early = m_beforeMap.constFind(window);
        if (early != m_beforeMap.constEnd() && m_desktop.manager.reframesWhenResized
            && asksForFrameHints(*early))
            reframe(window);
        m_beforeMap.remove(window);
        // Without a client list, its WM_STATE may have come before the applier watched it.
        if (!m_desktop.listsClients && m_desktop.windowManager && !m_windows.contains(window))
            syncWindows();
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto *notify = reinterpret_cast<const xcb_unmap_notify_event_t *>(event);
        if (!m_desktop.windowManager && notify->event == m_x11->root())
            forgetWindow(notify->window);
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const xcb_window_t window
            = reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window;
        // Without a client list, a frame going is what tells that its client went.
        if (!m_desktop.listsClients && m_desktop.windowManager && !m_windows.contains(window))
            syncWindows();
        forgetWindow(window);
        break;
    }
    default:
        // Errors about windows that went away meanwhile need nothing: the window is forgotten
        // when the server reports it gone.
        break;
    }
}

void WindowApplier::handlePropertyChange(xcb_window_t window, xcb_atom_t atom)
{
    if (window == m_x11->root()) {
        const xcb_ewmh_connection_t *ewmh = m_x11->ewmh();
        if (atom == ewmh->_NET_SUPPORTING_WM_CHECK || atom == ewmh->_NET_SUPPORTED) {
            // The frames another window manager makes are no reason to place a window again.
            for (TrackedWindow &tracked : m_windows)
                tracked.placed.reset();
            readDesktop();
            syncWindows();
            applyAll();
        } else if (atom == ewmh->_NET_CLIENT_LIST && m_desktop.windowManager) {
            syncWindows();
        }
        return;
    }
    if (atom == XCB_ATOM_WM_CLASS && m_unmanaged.contains(window)) {
        applyBeforeMap(window);
        return;
    }
    auto found = m_windows.find(window);
    if (found == m_windows.end() && atom == m_x11->atoms().wmState && !m_desktop.listsClients
        && m_desktop.windowManager) {
        syncWindows();
        return;
    }
    if (found == m_windows.end()) {
        found = m_beforeMap.find(window);
        if (found == m_beforeMap.end())
            return;
        if (atom == m_x11->ewmh()->_NET_WM_STATE)
            keepAskedStates(window, *found);
        else
            recomposeOverride(window, *found, atom);
        return;
    }
    TrackedWindow &tracked = *found;
    if (atom == XCB_ATOM_WM_CLASS) {
        tracked.wmClass = X11::readWmClass(*m_x11, window);
        apply(window, tracked);
        return;
    }
    if (atom == m_x11->ewmh()->_NET_FRAME_EXTENTS) {
        placeAgainIfFramed(window, tracked);
        return;
    }
    recomposeOverride(window, tracked, atom);
}

void WindowApplier::recomposeOverride(xcb_window_t window, TrackedWindow &tracked, xcb_atom_t atom)
{
    if (tracked.overrides.composeAgain(*m_x11, window, atom)
        == WindowOverrides::Rewrite::LeftToIt) {
        reportOnce(QStringLiteral("rewrite %1").arg(window),
                   QStringLiteral("%1 keeps changing a property back; it is left to it.")
                       .arg(describe(window, tracked)));
    }
}

void WindowApplier::connectionLost(const QString &reason)
{
    const QString line = QStringLiteral("The X display %1 went away (%2): window properties are "
                                        "no longer applied; the service goes on.")
                             .arg(QString::fromLocal8Bit(m_x11->displayName()), reason);
    setEffects(DesktopEffects::nothingApplies(line));
    Q_EMIT notice(line);
    m_windows.clear();
    m_unmanaged.clear();
    m_beforeMap.clear();
    m_borders.clear();
    // Deleted once its own signal has returned.
    m_x11.release()->deleteLater();
}

void WindowApplier::readDesktop()
{
    X11Connection &x11 = *m_x11;
    const xcb_ewmh_connection_t *ewmh = x11.ewmh();
    const bool checked = X11::hasWindowManager(x11);
    // Mutter replaced by another instance has been seen to leave no check window, while the new
    // one holds the screen's selection and manages every window.
    const bool windowManager
        = checked || X11::selectionOwner(x11, x11.atoms().wmScreenSelection) != XCB_WINDOW_NONE;
    QString name;
    if (checked) {
        const xcb_window_t check = X11::cardinal(x11, x11.root(), ewmh->_NET_SUPPORTING_WM_CHECK)
                                       .value_or(XCB_WINDOW_NONE);
        const std::optional<X11::RawProperty> wmName
            = X11::readProperty(x11, check, ewmh->_NET_WM_NAME);
        name = wmName ? QString::fromUtf8(wmName->data) : QString();
    }
    if (!windowManager)
        m_windowManagerName = QStringLiteral("no window manager");
    else
        m_windowManagerName = name.isEmpty() ? QStringLiteral("an unnamed window manager") : name;
    m_desktop = DesktopTraits();
    m_desktop.manager = windowManagerTraits(name);
    m_desktop.windowManager = windowManager;
    const std::optional<X11::RawProperty> supported
        = X11::readProperty(x11, x11.root(), ewmh->_NET_SUPPORTED);
    const QVector<quint32> atoms = supported ? cardinalsOf(*supported) : QVector<quint32>();
    const QPair<Aspect, xcb_atom_t> needs[] = {
        { Aspect::Desktop, ewmh->_NET_WM_DESKTOP },
        { Aspect::SkipTaskbar, ewmh->_NET_WM_STATE_SKIP_TASKBAR },
        { Aspect::SkipPager, ewmh->_NET_WM_STATE_SKIP_PAGER },
        { Aspect::Above, ewmh->_NET_WM_STATE_ABOVE },
        { Aspect::Below, ewmh->_NET_WM_STATE_BELOW },
    };
    for (const auto &need : needs) {
        if (windowManager && !atoms.contains(need.second))
            m_desktop.unsupported |= need.first;
    }
    connectI3();
    m_moveResizeSupported = windowManager && atoms.contains(ewmh->_NET_MOVERESIZE_WINDOW);
    m_desktop.listsClients = windowManager && atoms.contains(ewmh->_NET_CLIENT_LIST);
    m_desktop.maximizes = windowManager && atoms.contains(ewmh->_NET_WM_STATE_MAXIMIZED_VERT);
    m_desktop.compositor
        = X11::selectionOwner(x11, ewmh->_NET_WM_CM_Sn[x11.screenNumber()]) != XCB_WINDOW_NONE;
    // Through Xwayland, native Wayland windows are out of reach.
    const bool xwayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    DesktopEffects effects = x11Effects(m_desktop, m_windowManagerName);
    setEffects(xwayland ? effects.onXwaylandOnly() : effects);
}

QVector<xcb_window_t> WindowApplier::currentWindows()
{
    if (m_desktop.listsClients)
        return X11::readClientList(*m_x11);
    // Weston's, for one, lists none: its clients are those it gave a WM_STATE, in its frames.
    if (m_desktop.windowManager)
        return X11::framedClients(*m_x11);
    QVector<xcb_window_t> windows;
    for (const xcb_window_t window : X11::topLevelWindows(*m_x11)) {
        if (X11::isViewableTopLevel(*m_x11, window))
            windows.append(window);
    }
    return windows;
}

void WindowApplier::syncWindows()
{
    const QVector<xcb_window_t> current = currentWindows();
    const QSet<xcb_window_t> listed(current.cbegin(), current.cend());
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        if (listed.contains(it.key()))
            ++it;
        else
            it = m_windows.erase(it);
    }
    QVector<xcb_window_t> added;
    for (const xcb_window_t window : current) {
        if (!m_windows.contains(window))
            added.append(window);
    }
    addWindows(added, m_started);
}

void WindowApplier::addWindows(const QVector<xcb_window_t> &windows, bool areNew)
{
    // All questions first, then all answers: a burst of windows costs two round trips, not two
    // a window, while the server is busy with the window manager's work on the same burst.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    const X11Connection::Atoms &atoms = m_x11->atoms();
    QVector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size() * 3);
    for (const xcb_window_t window : windows) {
        xcb_change_window_attributes(m_x11->xcb(), window, XCB_CW_EVENT_MASK, &events);
        cookies += { X11::requestWmClass(*m_x11, window),
                     X11::requestProperty(*m_x11, window, atoms.kivoOriginal),
                     X11::requestProperty(*m_x11, window, atoms.kivoStarted) };
    }
    for (int i = 0; i < windows.size(); ++i) {
        const std::optional<X11::RawProperty> wmClass
            = X11::propertyReply(*m_x11, cookies.at(3 * i));
        TrackedWindow tracked;
        tracked.serial = m_nextSerial++;
        tracked.startPending = areNew;
        tracked.wmClass = wmClass ? X11::wmClassFrom(*wmClass) : std::nullopt;
        adoptRecorded(tracked, X11::propertyReply(*m_x11, cookies.at(3 * i + 1)),
                      X11::propertyReply(*m_x11, cookies.at(3 * i + 2)));
        m_windows.insert(windows.at(i), tracked);
    }
    prefetchOwnValues(windows);
    for (const xcb_window_t window : windows) {
        TrackedWindow &tracked = m_windows[window];
        apply(window, tracked);
        tracked.prefetched.clear();
    }
}

void WindowApplier::prefetchOwnValues(const QVector<xcb_window_t> &windows)
{
    QVector<QPair<xcb_window_t, xcb_atom_t>> asked;
    QVector<xcb_get_property_cookie_t> cookies;
    for (const xcb_window_t window : windows) {
        const TrackedWindow &tracked = m_windows[window];
        const WinProps *record = recordOf(tracked);
        if (!record)
            continue;
        const Aspects changes
            = decide(record, tracked.startPending, tracked.applied, m_desktop).changes;
        for (const xcb_atom_t atom : ownValuesNeeded(changes)) {
            asked.append({ window, atom });
            cookies.append(X11::requestProperty(*m_x11, window, atom));
        }
    }
    for (int i = 0; i < cookies.size(); ++i) {
        const std::optional<X11::RawProperty> value = X11::propertyReply(*m_x11, cookies.at(i));
        if (value)
            m_windows[asked.at(i).first].prefetched.insert(asked.at(i).second, *value);
    }
}

QVector<xcb_atom_t> WindowApplier::ownValuesNeeded(Aspects changes) const
{
    const xcb_ewmh_connection_t *ewmh = m_x11->ewmh();
    const X11Connection::Atoms &atoms = m_x11->atoms();
    QVector<xcb_atom_t> needed;
    if (changes & Aspect::Decorations)
        needed.append(atoms.motifWmHints);
    if (changes
        & (Aspect::Desktop | Aspect::SkipTaskbar | Aspect::SkipPager | Aspect::Above
           | Aspect::Below))
        needed.append(ewmh->_NET_WM_STATE);
    if (changes & Aspect::Focus)
        needed += { XCB_ATOM_WM_HINTS, ewmh->WM_PROTOCOLS };
    if (changes & Aspect::Opacity)
        needed.append(atoms.wmWindowOpacity);
    if (changes & Aspect::Shadow)
        needed.append(atoms.comptonShadow);
    if (changes & Aspect::Icon)
        needed.append(ewmh->_NET_WM_ICON);
    return needed;
}

std::optional<X11::RawProperty>
WindowApplier::ownValue(xcb_window_t window, const TrackedWindow &tracked, xcb_atom_t atom)
{
    const auto prefetched = tracked.prefetched.constFind(atom);
    if (prefetched != tracked.prefetched.constEnd())
        return *prefetched;
    return X11::readProperty(*m_x11, window, atom);
}

const WinProps *WindowApplier::recordOf(const TrackedWindow &tracked) const
{
    return tracked.wmClass ? m_matcher.match(tracked.wmClass->instance, tracked.wmClass->className)
                           : nullptr;
}

void WindowApplier::forgetWindow(xcb_window_t window)
{
    m_windows.remove(window);
    m_unmanaged.remove(window);
    m_beforeMap.remove(window);
    m_borders.remove(window);
}

void WindowApplier::applyAll()
{
    for (auto it = m_windows.begin(); it != m_windows.end(); ++it)
        apply(it.key(), it.value());
}

void WindowApplier::apply(xcb_window_t window, TrackedWindow &tracked)
{
    // States found asked for are in force, unless this new window had them written before its
    // map: a window manager that took it first reads them from nowhere, so they are asked again.
    if (tracked.statesAdopted && tracked.startPending)
        tracked.statesAdopted = false;
    else if (tracked.statesAdopted)
        takeOverAskedStates(window, tracked);
    const WinProps *record = recordOf(tracked);
    const ApplyDecision decision = decide(record, tracked.startPending, tracked.applied, m_desktop);
    const bool isNew = tracked.startPending;
    // A window counts as new until its program has named it.
    if (tracked.wmClass)
        markStarted(window, tracked);
    if (record) {
        reportNoEffect(*record, decision.notApplied);
        reportUnmeasured(*record);
    }
    applyLasting(window, tracked, decision);
    if ((decision.changes & Aspect::Decorations) && m_desktop.manager.reframesWhenResized)
        reframe(window);
    // Also for a new window: the window manager may have taken it before the hints were there.
    if ((decision.changes & Aspect::Decorations) && m_desktop.manager.readsHintsOnlyWhenTaking) {
        if (m_i3)
            commandFrame(window);
        else if (!isNew)
            reportFramesKept(tracked, record);
    }
    // The start first: what it claims again is not released meanwhile.
    if (!decision.start.isEmpty())
        applyStart(window, tracked, decision);
    // What an earlier run of the service overrode and no record sets any more.
    tracked.overrides.putBackUnclaimed(*m_x11, window, restoresMotifInFull());
    tracked.applied = decision.lasting;
}

void WindowApplier::applyLasting(xcb_window_t window, TrackedWindow &tracked,
                                 const ApplyDecision &decision)
{
    const LastingProps &to = decision.lasting;
    const Aspects changes = decision.changes;
    const xcb_ewmh_connection_t *ewmh = m_x11->ewmh();
    const X11Connection::Atoms &atoms = m_x11->atoms();
    if (changes & Aspect::Decorations) {
        const quint32 decorationsOff = to.decorationsOff;
        const quint32 functionsOff = to.functionsOff;
        const xcb_atom_t type = atoms.motifWmHints;
        if (decorationsOff || functionsOff) {
            overrideProperty(window, tracked, type, [=](const X11::RawProperty &own) {
                return cardinalsProperty(
                    type, Motif::without(cardinalsOf(own), decorationsOff, functionsOff));
            });
        } else {
            restoreProperty(window, tracked, type);
        }
    }
    if ((changes & Aspect::Desktop) && m_desktop.windowManager)
        applyDesktop(window, tracked, to.allDesktops);
    if (changes & Aspect::SkipTaskbar)
        applyState(window, tracked, to.skipTaskbar, ewmh->_NET_WM_STATE_SKIP_TASKBAR);
    if (changes & Aspect::SkipPager)
        applyState(window, tracked, to.skipPager, ewmh->_NET_WM_STATE_SKIP_PAGER);
    if (changes & Aspect::Above)
        applyState(window, tracked, to.above, ewmh->_NET_WM_STATE_ABOVE);
    if (changes & Aspect::Below)
        applyState(window, tracked, to.below, ewmh->_NET_WM_STATE_BELOW);
    if (changes & Aspect::Focus)
        applyFocus(window, tracked, to.noFocus);
    const QPair<Aspect, xcb_atom_t> cardinals[]
        = { { Aspect::Opacity, atoms.wmWindowOpacity }, { Aspect::Shadow, atoms.comptonShadow } };
    for (const auto &cardinal : cardinals) {
        if (!(changes & cardinal.first))
            continue;
        const std::optional<quint32> value
            = cardinal.first == Aspect::Opacity ? to.opacity : to.shadow;
        if (value) {
            const X11::RawProperty property = cardinalsProperty(XCB_ATOM_CARDINAL, { *value });
            overrideProperty(window, tracked, cardinal.second,
                             [property](const X11::RawProperty &) { return property; });
        } else {
            restoreProperty(window, tracked, cardinal.second);
        }
    }
    if (changes & Aspect::Icon)
        applyIcon(window, tracked, to);
}

// A state the window had before anything was applied is its own: neither asked for nor taken
// back.
void WindowApplier::recordOwnStates(xcb_window_t window, TrackedWindow &tracked)
{
    if (tracked.overrides.ownStates)
        return;
    const std::optional<X11::RawProperty> states
        = ownValue(window, tracked, m_x11->ewmh()->_NET_WM_STATE);
    tracked.overrides.ownStates = states ? cardinalsOf(*states) : QVector<xcb_atom_t>();
    tracked.overrides.record(*m_x11, window);
}

void WindowApplier::applyState(xcb_window_t window, TrackedWindow &tracked, bool on,
                               xcb_atom_t state)
{
    recordOwnStates(window, tracked);
    if (!tracked.overrides.ownStates->contains(state))
        X11::requestStates(*m_x11, window, on, state);
}

void WindowApplier::applyDesktop(xcb_window_t window, TrackedWindow &tracked, bool allDesktops)
{
    const xcb_ewmh_connection_t *ewmh = m_x11->ewmh();
    recordOwnStates(window, tracked);
    if (allDesktops) {
        X11::requestDesktop(*m_x11, window, WindowApplier::allDesktops);
        return;
    }
    const quint32 current = X11::currentDesktop(*m_x11);
    const quint32 desktops
        = X11::cardinal(*m_x11, m_x11->root(), ewmh->_NET_NUMBER_OF_DESKTOPS).value_or(1);
    if (m_desktop.manager.unstickedByAnotherDesktop && desktops > 1)
        X11::requestDesktop(*m_x11, window, (current + 1) % desktops);
    X11::requestDesktop(*m_x11, window, current);
    // Shown as the sticky state too by some: what every window manager honours takes it away.
    applyState(window, tracked, false, ewmh->_NET_WM_STATE_STICKY);
}

void WindowApplier::applyFocus(xcb_window_t window, TrackedWindow &tracked, bool noFocus)
{
    const xcb_atom_t protocols = m_x11->ewmh()->WM_PROTOCOLS;
    if (!noFocus) {
        restoreProperty(window, tracked, XCB_ATOM_WM_HINTS);
        restoreProperty(window, tracked, protocols);
        return;
    }
    overrideProperty(window, tracked, XCB_ATOM_WM_HINTS, [](const X11::RawProperty &own) {
        return cardinalsProperty(XCB_ATOM_WM_HINTS, wmHintsWithoutInput(cardinalsOf(own)));
    });
    // A window that takes the focus itself when offered (WM_TAKE_FOCUS) is not offered it.
    const xcb_atom_t takeFocus = m_x11->atoms().wmTakeFocus;
    overrideProperty(window, tracked, protocols, [takeFocus](const X11::RawProperty &own) {
        QVector<quint32> kept = cardinalsOf(own);
        if (!own.exists() || !kept.removeAll(takeFocus))
            return own;
        return cardinalsProperty(XCB_ATOM_ATOM, kept);
    });
}

void WindowApplier::applyIcon(xcb_window_t window, TrackedWindow &tracked,
                              const LastingProps &lasting)
{
    const xcb_atom_t icon = m_x11->ewmh()->_NET_WM_ICON;
    QStringList unloaded;
    const QVector<quint32> data = lasting.smallImage.isEmpty() && lasting.largeImage.isEmpty()
        ? QVector<quint32>()
        : m_icons.netWmIcon(lasting.smallImage, lasting.largeImage, &unloaded);
    for (const QString &image : qAsConst(unloaded)) {
        reportOnce(
            QStringLiteral("image ") + image,
            QStringLiteral("The image \"%1\" for %2 does not load; the window keeps its own.")
                .arg(image, describe(window, tracked)));
    }
    if (data.isEmpty()) {
        restoreProperty(window, tracked, icon);
        return;
    }
    const X11::RawProperty property = cardinalsProperty(XCB_ATOM_CARDINAL, data);
    overrideProperty(window, tracked, icon,
                     [property](const X11::RawProperty &) { return property; });
}

void WindowApplier::applyStart(xcb_window_t window, TrackedWindow &tracked,
                               const ApplyDecision &decision)
{
    const StartProps &start = decision.start;
    const WinProps *record = recordOf(tracked);
    if (start.geometry && record && m_desktop.manager.placesWindowsItself) {
        reportOnce(QStringLiteral("position ignored ") + record->winName(),
                   QStringLiteral("%1 ignores the position that the geometry of \"%2\" asks "
                                  "for: only its size is applied.")
                       .arg(m_windowManagerName, record->winName()));
    }
    if (start.geometry) {
        if (m_desktop.manager.moveResizeIgnoresGravity)
            awaitFrame(window, tracked, *start.geometry);
        applyGeometry(window, tracked, *start.geometry, decision.lasting.isFrameless());
    }
    const xcb_ewmh_connection_t *ewmh = m_x11->ewmh();
    if (start.maximize) {
        X11::requestStates(*m_x11, window, true, ewmh->_NET_WM_STATE_MAXIMIZED_VERT,
                           ewmh->_NET_WM_STATE_MAXIMIZED_HORZ);
    }
    if (start.minimize)
        X11::requestIconic(*m_x11, window);
    if (start.closeSoon) {
        const quint64 serial = tracked.serial;
        QTimer::singleShot(closeSoonDelayMs, this,
                           [this, window, serial] { closeSoon(window, serial); });
    }
}

void WindowApplier::applyGeometry(xcb_window_t window, TrackedWindow &tracked,
                                  const GeometrySpec &geometry, bool frameless)
{
    Placement placement = placementOf(window, geometry, frameless);
    if (placement.offScreen) {
        Q_EMIT notice(QStringLiteral("The geometry %1 of %2 lies off the screen; the window was "
                                     "put inside the work area instead.")
                          .arg(geometryStringOf(geometry), describe(window, tracked)));
    }
    keepPlacedHints(window, tracked, placement, geometry);
    if (m_moveResizeSupported) {
        const QRect rect = m_desktop.manager.moveResizeIgnoresGravity
                && placement.gravity != XCB_GRAVITY_NORTH_WEST
            ? frameCornerFirst(placement.rect, X11::frameExtents(*m_x11, window), placement.gravity)
            : placement.rect;
        X11::requestMoveResize(*m_x11, window, rect, placement.gravity);
        return;
    }
    // Without _NET_MOVERESIZE_WINDOW, a plain configure request: a window manager sees it as
    // one from the program, and without one it takes effect as it is.
    configure(window, placement.rect);
}

Placement WindowApplier::placementOf(xcb_window_t window, const GeometrySpec &geometry,
                                     bool frameless) const
{
    PlacementInput input;
    input.screen = QSize(m_x11->screen()->width_in_pixels, m_x11->screen()->height_in_pixels);
    input.workArea = X11::workArea(*m_x11);
    if (geometry.width <= 0 || geometry.height <= 0)
        input.ownSize = X11::geometryOnScreen(*m_x11, window).size();
    input.border = m_borders.value(window);
    input.frame = [this, window] { return X11::frameExtents(*m_x11, window); };
    return ::placementOf(geometry, frameless, m_desktop.manager, input);
}

// A window manager places a new window itself, and some do so again after the applier's
// request: hints that give the position and size as the user's choice are what it follows then.
// They hold while the frame may still settle, then the program's own come back.
void WindowApplier::keepPlacedHints(xcb_window_t window, TrackedWindow &tracked,
                                    const Placement &placement, const GeometrySpec &geometry)
{
    overrideProperty(window, tracked, XCB_ATOM_WM_NORMAL_HINTS, placedHints(placement));
    const quint64 serial = tracked.serial;
    QTimer::singleShot(frameSettleMs, this, [this, window, serial, placement, geometry] {
        const auto found = m_windows.find(window);
        if (found == m_windows.end() || found->serial != serial)
            return;
        restoreProperty(window, *found, XCB_ATOM_WM_NORMAL_HINTS);
        // Put inside the work area on purpose, and said so; or placed by the window manager.
        if (!placement.offScreen && !m_desktop.manager.placesWindowsItself)
            reportIfPlacedElsewhere(window, *found, geometry);
        m_x11->flush();
    });
}

// Some window managers keep windows off panels, or otherwise place them their own way: said once
// per record, so that the user knows the place is theirs, not ours.
void WindowApplier::reportIfPlacedElsewhere(xcb_window_t window, const TrackedWindow &tracked,
                                            const GeometrySpec &geometry)
{
    const WinProps *record = recordOf(tracked);
    // Maximized or minimized as asked, it has no place of its own.
    if (!record || !m_desktop.windowManager || record->init_maximize || record->init_minimize)
        return;
    const QRect inner = X11::geometryOnScreen(*m_x11, window);
    const int border = X11::borderWidth(*m_x11, window);
    const QMargins frame
        = tracked.applied.isFrameless() ? QMargins() : X11::frameExtents(*m_x11, window);
    const QRect outer = inner.marginsAdded(frame + QMargins(border, border, border, border));
    const QSize screen(m_x11->screen()->width_in_pixels, m_x11->screen()->height_in_pixels);
    GeometrySpec placed = geometry;
    placed.x = geometry.fromRightEdge ? screen.width() - 1 - outer.right() : outer.left();
    placed.y = geometry.fromBottomEdge ? screen.height() - 1 - outer.bottom() : outer.top();
    if (placed.x == geometry.x && placed.y == geometry.y)
        return;
    const auto offsets = [](const GeometrySpec &place) {
        return QStringLiteral("%1%2%3%4")
            .arg(QLatin1Char(place.fromRightEdge ? '-' : '+'))
            .arg(place.x)
            .arg(QLatin1Char(place.fromBottomEdge ? '-' : '+'))
            .arg(place.y);
    };
    reportOnce(
        QStringLiteral("placed ") + record->winName(),
        QStringLiteral("%1 placed \"%2\" at %3, not at %4 as its geometry asks.")
            .arg(m_windowManagerName, record->winName(), offsets(placed), offsets(geometry)));
}

WindowOverrides::Composer WindowApplier::placedHints(const Placement &placement)
{
    const quint32 gravity = placement.gravity;
    return [gravity](const X11::RawProperty &own) {
        return cardinalsProperty(XCB_ATOM_WM_SIZE_HINTS,
                                 sizeHintsAsTheUsers(cardinalsOf(own), gravity));
    };
}

// Such a window manager reads changed hints at a resize and frames the window by them at the
// next: the window grows by a pixel now and shrinks back a moment later. Resized by someone else
// meanwhile, it is tried once more; hints changed meanwhile get a turn of their own.
void WindowApplier::reframe(xcb_window_t window, int attempt)
{
    // One at a time: a second would take the first one's extra pixel for the window's own.
    const auto pending = m_reframing.find(window);
    if (pending != m_reframing.end()) {
        *pending = true;
        return;
    }
    const QSize size = X11::geometryOnScreen(*m_x11, window).size();
    if (size.isEmpty())
        return;
    m_reframing.insert(window, false);
    resizeWidth(window, size.width() + 1);
    QTimer::singleShot(reframeDelayMs, this, [this, window, size, attempt] {
        const bool again = m_reframing.take(window);
        if (!m_x11)
            return;
        const QSize now = X11::geometryOnScreen(*m_x11, window).size();
        if (now == QSize(size.width() + 1, size.height()))
            resizeWidth(window, size.width());
        if (again
            || (now != QSize(size.width() + 1, size.height()) && !now.isEmpty() && attempt == 0))
            reframe(window, again ? 0 : attempt + 1);
        m_x11->flush();
    });
}

bool WindowApplier::asksForFrameHints(const TrackedWindow &tracked) const
{
    const WinProps *record = recordOf(tracked);
    return record
        && (decide(record, true, LastingProps(), m_desktop).changes & Aspect::Decorations);
}

void WindowApplier::resizeWidth(xcb_window_t window, int width)
{
    const uint32_t value = uint32_t(width);
    xcb_configure_window(m_x11->xcb(), window, XCB_CONFIG_WINDOW_WIDTH, &value);
}

void WindowApplier::configure(xcb_window_t window, const QRect &rect)
{
    const uint32_t values[] = { uint32_t(rect.x()), uint32_t(rect.y()), uint32_t(rect.width()),
                                uint32_t(rect.height()) };
    xcb_configure_window(m_x11->xcb(), window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH
                             | XCB_CONFIG_WINDOW_HEIGHT,
                         values);
}

// A configure of another program's window reaches the window manager as a request, queued
// behind the program's map request when it mapped at once: the window would first show where the
// program put it. A window not yet taken is override-redirect for the moment of the configure,
// which then takes effect at once; with the server held, the window manager never sees it so.
bool WindowApplier::configureUntaken(xcb_window_t window, const QRect &rect)
{
    xcb_connection_t *xcb = m_x11->xcb();
    const auto tree = X11::adopt(xcb_query_tree_reply(xcb, xcb_query_tree(xcb, window), nullptr));
    const auto attributes = X11::adopt(
        xcb_get_window_attributes_reply(xcb, xcb_get_window_attributes(xcb, window), nullptr));
    if (!tree || tree->parent != m_x11->root() || !attributes || attributes->override_redirect
        || attributes->map_state != XCB_MAP_STATE_UNMAPPED)
        return false;
    uint32_t overrideRedirect = 1;
    xcb_change_window_attributes(xcb, window, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
    configure(window, rect);
    overrideRedirect = 0;
    xcb_change_window_attributes(xcb, window, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
    return true;
}

// Placed from the frame as it is now, which the window manager may not have published yet.
void WindowApplier::awaitFrame(xcb_window_t window, TrackedWindow &tracked,
                               const GeometrySpec &geometry)
{
    tracked.placed = geometry;
    tracked.placedFrame = X11::frameExtents(*m_x11, window);
    const quint64 serial = tracked.serial;
    QTimer::singleShot(frameSettleMs, this, [this, window, serial] {
        const auto found = m_windows.find(window);
        if (found != m_windows.end() && found->serial == serial)
            found->placed.reset();
    });
}

// The window manager may publish the frame only after the window appeared: the far edges were
// placed without it, so the window is placed once more with it. A frame it had already is never
// a reason: a window the user moved stays where it is.
void WindowApplier::placeAgainIfFramed(xcb_window_t window, TrackedWindow &tracked)
{
    if (!tracked.placed || !tracked.placedFrame.isNull()
        || X11::frameExtents(*m_x11, window).isNull())
        return;
    const GeometrySpec geometry = *tracked.placed;
    tracked.placed.reset();
    applyGeometry(window, tracked, geometry, tracked.applied.isFrameless());
    m_x11->flush();
}

void WindowApplier::closeSoon(xcb_window_t window, quint64 serial)
{
    const auto found = m_windows.constFind(window);
    if (!m_x11 || found == m_windows.constEnd() || found->serial != serial)
        return;
    if (X11::supportsProtocol(*m_x11, window, m_x11->atoms().wmDeleteWindow)) {
        X11::requestClose(*m_x11, window);
    } else {
        Q_EMIT notice(QStringLiteral("%1 does not take WM_DELETE_WINDOW; it is left open.")
                          .arg(describe(window, *found)));
    }
    m_x11->flush();
}

void WindowApplier::overrideProperty(xcb_window_t window, TrackedWindow &tracked, xcb_atom_t atom,
                                     const WindowOverrides::Composer &compose)
{
    tracked.overrides.put(*m_x11, window, atom, compose,
                          [&] { return ownValue(window, tracked, atom); });
}

void WindowApplier::restoreProperty(xcb_window_t window, TrackedWindow &tracked, xcb_atom_t atom)
{
    tracked.overrides.putBack(*m_x11, window, atom, restoresMotifInFull());
}

// This window manager keeps the frame it last read when the hints go.
bool WindowApplier::restoresMotifInFull() const
{
    return m_desktop.windowManager && !m_desktop.manager.deletingHintsRestores;
}

void WindowApplier::adoptRecorded(TrackedWindow &tracked,
                                  const std::optional<X11::RawProperty> &originals,
                                  const std::optional<X11::RawProperty> &started)
{
    tracked.markedStarted = started && started->exists();
    tracked.startPending = tracked.startPending && !tracked.markedStarted;
    tracked.statesAdopted = tracked.overrides.adopt(*m_x11, originals);
}

void WindowApplier::takeOverAskedStates(xcb_window_t window, TrackedWindow &tracked)
{
    // What an earlier run of the service asked for: in force, and to be taken back when no
    // record asks for it any more.
    tracked.statesAdopted = false;
    const xcb_ewmh_connection_t *ewmh = m_x11->ewmh();
    const QVector<xcb_atom_t> now = X11::wmStates(*m_x11, window);
    const auto asked = [&](xcb_atom_t state) {
        return now.contains(state) && !tracked.overrides.ownStates->contains(state);
    };
    tracked.applied.skipTaskbar = asked(ewmh->_NET_WM_STATE_SKIP_TASKBAR);
    tracked.applied.skipPager = asked(ewmh->_NET_WM_STATE_SKIP_PAGER);
    tracked.applied.above = asked(ewmh->_NET_WM_STATE_ABOVE);
    tracked.applied.below = asked(ewmh->_NET_WM_STATE_BELOW);
}

void WindowApplier::markStarted(xcb_window_t window, TrackedWindow &tracked)
{
    tracked.startPending = false;
    if (tracked.markedStarted)
        return;
    // Seen by this service after a restart, and after the window manager is replaced or the
    // window mapped again: the start is over for good.
    X11::writeCardinals(*m_x11, window, m_x11->atoms().kivoStarted, { 1 });
    tracked.markedStarted = true;
}

// Said once per record, as what has no effect is: applied all the same, and taken back by what
// every EWMH window manager honours.
void WindowApplier::reportUnmeasured(const WinProps &record)
{
    QStringList keys;
    for (const WinPropsField &field : winPropsFields()) {
        if (field.isSet(record) && effects().of(field).note == unmeasuredNote())
            keys.append(field.key());
    }
    if (keys.isEmpty())
        return;
    reportOnce(record.winName() + QStringLiteral("\x1funmeasured\x1f")
                   + keys.join(QLatin1Char(',')),
               QStringLiteral("The properties %1 of \"%2\" may have no effect on this window "
                              "manager (%3), whose ways were not measured.")
                   .arg(keys.join(QStringLiteral(", ")), record.winName(), m_windowManagerName));
}

// i3 reads the frame hints only as it takes a window; its IPC socket, named on the root window,
// takes the frame of a shown one.
void WindowApplier::connectI3()
{
    m_i3.reset();
    m_i3Border.reset();
    m_i3Waiting.clear();
    if (!m_desktop.manager.readsHintsOnlyWhenTaking)
        return;
    const std::optional<X11::RawProperty> path
        = X11::readProperty(*m_x11, m_x11->root(), m_x11->internAtom("I3_SOCKET_PATH"));
    if (!path || path->data.isEmpty())
        return;
    m_i3 = std::make_unique<SwayIpc>(QString::fromLocal8Bit(path->data));
    connect(m_i3.get(), &SwayIpc::connected, this, [this] {
        m_i3->send(SwayIpc::GetConfig, QByteArray(), [this](const QJsonDocument &config) {
            m_i3Border
                = swayDefaultBorder(config.object().value(QLatin1String("config")).toString());
            for (const xcb_window_t window : std::exchange(m_i3Waiting, {})) {
                if (m_windows.contains(window))
                    commandFrame(window);
            }
        });
    });
    m_i3->connectToSway();
}

// The frame i3 would give the window for the hints it has now.
void WindowApplier::commandFrame(xcb_window_t window)
{
    if (!m_i3->isConnected() || !m_i3Border) {
        if (!m_i3Waiting.contains(window))
            m_i3Waiting.append(window);
        return;
    }
    const std::optional<X11::RawProperty> hints
        = X11::readProperty(*m_x11, window, m_x11->atoms().motifWmHints);
    const QString style
        = i3BorderStyle(hints ? cardinalsOf(*hints) : QVector<quint32>(), m_i3Border->style);
    const QString border = style == QLatin1String("none")
        ? QStringLiteral("border none")
        : QStringLiteral("border %1 %2").arg(style).arg(m_i3Border->width);
    m_i3->send(SwayIpc::RunCommand, QStringLiteral("[id=%1] %2").arg(window).arg(border).toUtf8());
}

// Written all the same: the window manager reads them when it takes the window again (mapped
// again, or the window manager restarted).
void WindowApplier::reportFramesKept(const TrackedWindow &tracked, const WinProps *record)
{
    // A record taken away leaves only the window's own name.
    const QString name = record ? record->winName()
        : tracked.wmClass       ? tracked.wmClass->className
                                : QString();
    reportOnce(QStringLiteral("frames kept ") + name,
               QStringLiteral("%1 reads the frame hints only when it takes a window: the open "
                              "windows of \"%2\" keep their frames until they are opened again.")
                   .arg(m_windowManagerName, name));
}

QString WindowApplier::describe(xcb_window_t window, const TrackedWindow &tracked) const
{
    const QString name = tracked.wmClass
        ? tracked.wmClass->instance + QLatin1Char('/') + tracked.wmClass->className
        : QStringLiteral("no WM_CLASS");
    return QStringLiteral("the window 0x%1 (%2)").arg(window, 0, 16).arg(name);
}
