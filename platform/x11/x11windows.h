// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_X11WINDOWS_H
#define KIVO_X11WINDOWS_H

#include "platform/x11/x11connection.h"

#include <QByteArray>
#include <QHash>
#include <QMargins>
#include <QRect>
#include <QString>
#include <QVector>

#include <cstdlib>
#include <memory>
#include <optional>

// Reading windows and asking the window manager for changes. Every function copes with a window
// that has gone meanwhile (an empty answer) and with a connection that is lost.
namespace X11 {

// xcb hands out replies allocated with malloc.
template<typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template<typename Reply> ReplyPtr<Reply> adopt(Reply *reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

// A window's WM_CLASS: the instance (resource) name and the class name.
struct WmClass
{
    QString instance;
    QString className;
};

// A property exactly as stored: its type, its format (8, 16 or 32) and its bytes.
struct RawProperty
{
    xcb_atom_t type = XCB_ATOM_NONE;
    quint8 format = 0;
    QByteArray data;

    bool exists() const { return type != XCB_ATOM_NONE; }
    bool operator==(const RawProperty &other) const
    {
        return type == other.type && format == other.format && data == other.data;
    }
    bool operator!=(const RawProperty &other) const { return !(*this == other); }
    QVector<quint32> cardinals() const;
};

// The longest WM_CLASS read; a longer one matches no window name.
constexpr quint32 maxWmClassBytes = 64 * 1024;
// The longest property read by readProperty (icons are the large ones).
constexpr quint32 maxPropertyBytes = 16 * 1024 * 1024;

xcb_get_property_cookie_t requestProperty(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                                          quint32 maxBytes = maxPropertyBytes);
// Nothing when the window is gone or the property is longer than asked for.
std::optional<RawProperty> propertyReply(X11Connection &x11, xcb_get_property_cookie_t cookie);
std::optional<RawProperty> readProperty(X11Connection &x11, xcb_window_t window, xcb_atom_t atom);
void writeProperty(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                   const RawProperty &value);
// Writes value, or deletes the property when value does not exist.
void restoreProperty(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                     const RawProperty &value);
// Several properties in the value of one: per property its atom, type, format, length in bytes,
// then its bytes filled up to whole cardinals. A property that did not exist keeps type None.
using PropertySet = QHash<xcb_atom_t, RawProperty>;
QVector<quint32> packProperties(const PropertySet &properties);
// What of a packed value is whole; the rest is dropped.
PropertySet unpackProperties(const QVector<quint32> &packed);

void writeCardinals(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                    const QVector<quint32> &values, xcb_atom_t type = XCB_ATOM_CARDINAL);

// The two strings of WM_CLASS. Valid UTF-8 is read as UTF-8 (what programs write today),
// anything else as Latin-1 (what the ICCCM says the type STRING holds).
std::optional<WmClass> wmClassFrom(const RawProperty &property);
xcb_get_property_cookie_t requestWmClass(X11Connection &x11, xcb_window_t window);
std::optional<WmClass> readWmClass(X11Connection &x11, xcb_window_t window);

// The managed client windows, oldest first (_NET_CLIENT_LIST); empty without a window manager.
QVector<xcb_window_t> readClientList(X11Connection &x11);
// The client windows (those with WM_STATE) of the top-level windows, bottom first: the clients of a
// window manager that keeps no _NET_CLIENT_LIST.
QVector<xcb_window_t> framedClients(X11Connection &x11);
// True when an EWMH window manager runs: _NET_SUPPORTING_WM_CHECK names a window that names
// itself.
bool hasWindowManager(X11Connection &x11);
xcb_window_t selectionOwner(X11Connection &x11, xcb_atom_t selection);
// The top-level client window (the one with WM_STATE) under a point of the root window, or
// XCB_WINDOW_NONE.
xcb_window_t clientWindowAt(X11Connection &x11, int x, int y);
// The client window (the one with WM_STATE) in a top-level window, which may be the window
// manager's frame around it; XCB_WINDOW_NONE when there is none.
xcb_window_t clientWindowIn(X11Connection &x11, xcb_window_t topLevel);
// Waits until the server has handled every request sent so far: what they changed is then seen
// by every other client.
void sync(X11Connection &x11);
// The keys that give keysym (unshifted or with any modifier), from the server's keyboard map.
QVector<xcb_keycode_t> keycodesOf(X11Connection &x11, xcb_keysym_t keysym);
// The top-level children of the root window, bottom first.
QVector<xcb_window_t> topLevelWindows(X11Connection &x11);
bool isViewableTopLevel(X11Connection &x11, xcb_window_t window);

// The work area of the current desktop (_NET_WORKAREA), else the whole root window.
QRect workArea(X11Connection &x11);
quint32 currentDesktop(X11Connection &x11);
// The window's inner rectangle in root coordinates; empty when it is gone.
QRect geometryOnScreen(X11Connection &x11, xcb_window_t window);
QMargins frameExtents(X11Connection &x11, xcb_window_t window);
// The frame around a client window as the geometry of the window manager's top-level window
// shows it, its X border included: true where _NET_FRAME_EXTENTS is stale. None for a
// top-level window.
// The width of the window's own X border; 0 when the window is gone.
int borderWidth(X11Connection &x11, xcb_window_t window);
QMargins frameByGeometry(X11Connection &x11, xcb_window_t window);
QVector<xcb_atom_t> wmStates(X11Connection &x11, xcb_window_t window);
std::optional<quint32> cardinal(X11Connection &x11, xcb_window_t window, xcb_atom_t atom);
bool supportsProtocol(X11Connection &x11, xcb_window_t window, xcb_atom_t protocol);

// Requests to the window manager, as EWMH and ICCCM client messages; what it makes of them shows
// in the window's properties later.
void requestStates(X11Connection &x11, xcb_window_t window, bool add, xcb_atom_t first,
                   xcb_atom_t second = XCB_ATOM_NONE);
void requestDesktop(X11Connection &x11, xcb_window_t window, quint32 desktop);
// rect: the client area; gravity tells which corner of the frame keeps to the asked position.
void requestMoveResize(X11Connection &x11, xcb_window_t window, const QRect &rect,
                       xcb_gravity_t gravity);
void requestIconic(X11Connection &x11, xcb_window_t window);
void requestActivate(X11Connection &x11, xcb_window_t window);
// A polite WM_DELETE_WINDOW to the window's own program.
void requestClose(X11Connection &x11, xcb_window_t window);

} // namespace X11

#endif
