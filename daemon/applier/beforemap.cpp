// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

// The before-map path of the applier: a new window's record, as far as the window manager reads
// it when it takes the window, is written before it does.

#include "daemon/applier/windowapplier.h"

#include <algorithm>

namespace {

// A program that keeps asking for its own states again before the map would otherwise keep both
// busy for ever.
constexpr int maxStateRewrites = 8;

} // namespace

void WindowApplier::watchUnmanaged(xcb_window_t window)
{
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_x11->xcb(), window, XCB_CW_EVENT_MASK, &events);
    m_unmanaged.insert(window);
    // Named before the events were selected: nothing would tell.
    applyBeforeMap(window);
}

namespace {

// A program that names and maps its window in one go has its map request with the window
// manager already. While the server is held, the window manager's first reads of the window
// wait for what the applier writes: measured, it took Metacity from about two in three windows
// right at their first map to 24 or 25 in 25.
class ServerHold
{
public:
    ServerHold(X11Connection &x11, bool hold)
        : m_x11(hold ? &x11 : nullptr)
    {
        if (m_x11)
            xcb_grab_server(m_x11->xcb());
    }
    ~ServerHold()
    {
        if (!m_x11)
            return;
        xcb_ungrab_server(m_x11->xcb());
        m_x11->flush();
    }
    ServerHold(const ServerHold &) = delete;
    ServerHold &operator=(const ServerHold &) = delete;
    bool holds() const { return m_x11 != nullptr; }

private:
    X11Connection *m_x11;
};

} // namespace

void WindowApplier::applyBeforeMap(xcb_window_t window)
{
    const ServerHold hold(*m_x11, !m_matcher.isEmpty() && m_desktop.windowManager);
    TrackedWindow early;
    early.wmClass = X11::readWmClass(*m_x11, window);
    const WinProps *record = recordOf(early);
    if (!record)
        return;
    m_unmanaged.remove(window);
    // What is a plain property of the window is in place when the window manager first reads
    // it. The states and the notices follow once it manages the window, which then finds the
    // window's own values recorded and writes the same again.
    ApplyDecision decision = decide(record, true, LastingProps(), m_desktop);
    early.askedStates = statesAskedBy(decision);
    decision.changes
        &= Aspect::Decorations | Aspect::Focus | Aspect::Opacity | Aspect::Shadow | Aspect::Icon;
    // Xfwm4 did not always give back the buttons of functions it first framed the window
    // without: where deleting the hints is not enough, the functions wait for the map.
    if (!m_desktop.manager.deletingHintsRestores)
        decision.lasting.functionsOff = 0;
    if (decision.start.geometry) {
        const Placement placement
            = placementOf(window, *decision.start.geometry, decision.lasting.isFrameless());
        // The hints first: a window manager that takes the window meanwhile sees the configure
        // as the program's, which the gravity in the hints makes land the same way.
        overrideProperty(window, early, XCB_ATOM_WM_NORMAL_HINTS, placedHints(placement));
        if (!hold.holds() || !configureUntaken(window, placement.rect))
            configure(window, placement.rect);
    }
    askStatesBeforeMap(window, early, decision);
    applyLasting(window, early, decision);
    // Kept until the window manager takes the window, so that the program writing a property
    // again meanwhile gets it composed again.
    m_beforeMap.insert(window, early);
}

QVector<xcb_atom_t> WindowApplier::statesAskedBy(const ApplyDecision &decision) const
{
    const xcb_ewmh_connection_t *ewmh = m_x11->ewmh();
    const LastingProps &to = decision.lasting;
    QVector<xcb_atom_t> asked;
    const QPair<bool, xcb_atom_t> states[] = {
        { to.above, ewmh->_NET_WM_STATE_ABOVE },
        { to.below, ewmh->_NET_WM_STATE_BELOW },
        { to.skipTaskbar, ewmh->_NET_WM_STATE_SKIP_TASKBAR },
        { to.skipPager, ewmh->_NET_WM_STATE_SKIP_PAGER },
        { decision.start.maximize, ewmh->_NET_WM_STATE_MAXIMIZED_VERT },
        { decision.start.maximize, ewmh->_NET_WM_STATE_MAXIMIZED_HORZ },
    };
    for (const auto &state : states) {
        if (state.first)
            asked.append(state.second);
    }
    return asked;
}

// A window manager reads the states and the desktop of a window when it first manages it: asked
// for before, the window never shows without them. Its own states are recorded as they were, so
// that those asked for are taken back later, after a restart too.
void WindowApplier::askStatesBeforeMap(xcb_window_t window, TrackedWindow &early,
                                       const ApplyDecision &decision)
{
    if (!m_desktop.windowManager)
        return;
    if (early.askedStates.isEmpty() && !decision.lasting.allDesktops)
        return;
    // Recorded before the desktop too: a window manager may show all desktops as a state.
    early.overrides.ownStates = X11::wmStates(*m_x11, window);
    if (decision.lasting.allDesktops)
        X11::writeCardinals(*m_x11, window, m_x11->ewmh()->_NET_WM_DESKTOP, { allDesktops });
    writeAskedStates(window, early);
}

void WindowApplier::writeAskedStates(xcb_window_t window, TrackedWindow &early)
{
    QVector<xcb_atom_t> states = *early.overrides.ownStates;
    for (const xcb_atom_t state : qAsConst(early.askedStates)) {
        if (!states.contains(state))
            states.append(state);
    }
    X11::writeCardinals(*m_x11, window, m_x11->ewmh()->_NET_WM_STATE, states, XCB_ATOM_ATOM);
    early.overrides.record(*m_x11, window);
}

// The program set its states again before the map: those become its own.
void WindowApplier::keepAskedStates(xcb_window_t window, TrackedWindow &early)
{
    const QVector<xcb_atom_t> now = X11::wmStates(*m_x11, window);
    const bool kept = std::all_of(early.askedStates.cbegin(), early.askedStates.cend(),
                                  [&now](xcb_atom_t state) { return now.contains(state); });
    if (kept || early.askedStates.isEmpty() || ++early.stateRewrites > maxStateRewrites)
        return;
    early.overrides.ownStates = now;
    writeAskedStates(window, early);
}
