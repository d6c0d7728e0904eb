// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_WINDOWOVERRIDES_H
#define KIVO_WINDOWOVERRIDES_H

#include "platform/x11/x11connection.h"
#include "platform/x11/x11windows.h"

#include <QHash>
#include <QVector>

#include <functional>
#include <optional>

// What the applier wrote over one window's own properties, with the window's own values: they
// are put back when no record sets them any more, and recorded on the window (_KIVO_ORIGINAL)
// so that a later run of the service puts them back too.
class WindowOverrides
{
public:
    // The value to write, made from the window's own.
    using Composer = std::function<X11::RawProperty(const X11::RawProperty &own)>;
    using OwnValue = std::function<std::optional<X11::RawProperty>()>;
    // How a property changed by the window's program is taken.
    enum class Rewrite { NotOurs, ComposedAgain, LeftToIt };

    // The window's own states, where states were asked for it.
    std::optional<QVector<xcb_atom_t>> ownStates;

    // What an earlier run recorded on the window, none of it claimed again yet. True when the
    // window's own states were among it.
    bool adopt(X11Connection &x11, const std::optional<X11::RawProperty> &originals);
    // ownValue: read the first time only.
    void put(X11Connection &x11, xcb_window_t window, xcb_atom_t atom, const Composer &compose,
             const OwnValue &ownValue);
    // motifInFull: the window manager keeps the frame it last read when the hints go, so they
    // are written back with every decoration spelt out.
    void putBack(X11Connection &x11, xcb_window_t window, xcb_atom_t atom, bool motifInFull);
    // What was adopted and no record claimed since.
    void putBackUnclaimed(X11Connection &x11, xcb_window_t window, bool motifInFull);
    // The program wrote the property itself: that becomes its own value, and ours is put over it
    // again, a few times at most.
    Rewrite composeAgain(X11Connection &x11, xcb_window_t window, xcb_atom_t atom);
    void record(X11Connection &x11, xcb_window_t window) const;

private:
    struct Override
    {
        X11::RawProperty own;
        X11::RawProperty written;
        Composer compose; // null: found recorded on the window, not claimed again yet
        int rewrites = 0;
    };
    QHash<xcb_atom_t, Override> m_overrides;
};

// A property of 32-bit values.
X11::RawProperty cardinalsProperty(xcb_atom_t type, const QVector<quint32> &values);
// The values of a property, none where it is not of 32-bit values.
QVector<quint32> cardinalsOf(const X11::RawProperty &property);

#endif
