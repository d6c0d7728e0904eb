// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applier/windowoverrides.h"

#include "daemon/applier/applydecision.h"

namespace {

// A program that keeps rewriting a property the applier overrides would otherwise keep both
// busy for ever.
constexpr int maxRewrites = 8;

} // namespace

X11::RawProperty cardinalsProperty(xcb_atom_t type, const QVector<quint32> &values)
{
    X11::RawProperty property;
    property.type = type;
    property.format = 32;
    property.data = QByteArray(reinterpret_cast<const char *>(values.constData()),
                               values.size() * int(sizeof(quint32)));
    return property;
}

QVector<quint32> cardinalsOf(const X11::RawProperty &property)
{
    return property.format == 32 ? property.cardinals() : QVector<quint32>();
}

bool WindowOverrides::adopt(X11Connection &x11, const std::optional<X11::RawProperty> &originals)
{
    if (!originals || originals->type != x11.atoms().kivoOriginal)
        return false;
    X11::PropertySet own = X11::unpackProperties(cardinalsOf(*originals));
    const xcb_atom_t states = x11.ewmh()->_NET_WM_STATE;
    const bool hadStates = own.contains(states);
    if (hadStates)
        ownStates = cardinalsOf(own.take(states));
    for (auto it = own.cbegin(); it != own.cend(); ++it)
        m_overrides.insert(it.key(), Override { *it, {}, {}, 0 });
    return hadStates;
}

void WindowOverrides::put(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                          const Composer &compose, const OwnValue &ownValue)
{
    auto found = m_overrides.find(atom);
    if (found == m_overrides.end()) {
        const std::optional<X11::RawProperty> own = ownValue();
        if (!own)
            return; // gone, or a value longer than is ever written back
        found = m_overrides.insert(atom, Override { *own, {}, compose, 0 });
        record(x11, window);
    }
    found->compose = compose;
    found->written = compose(found->own);
    X11::restoreProperty(x11, window, atom, found->written);
}

void WindowOverrides::putBack(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                              bool motifInFull)
{
    const auto found = m_overrides.find(atom);
    if (found == m_overrides.end())
        return;
    const xcb_atom_t motif = x11.atoms().motifWmHints;
    X11::restoreProperty(x11, window, atom,
                         atom == motif && motifInFull
                             ? cardinalsProperty(motif, Motif::complete(cardinalsOf(found->own)))
                             : found->own);
    m_overrides.erase(found);
    record(x11, window);
}

void WindowOverrides::putBackUnclaimed(X11Connection &x11, xcb_window_t window, bool motifInFull)
{
    QVector<xcb_atom_t> unclaimed;
    for (auto it = m_overrides.cbegin(); it != m_overrides.cend(); ++it) {
        if (!it->compose)
            unclaimed.append(it.key());
    }
    for (const xcb_atom_t atom : qAsConst(unclaimed))
        putBack(x11, window, atom, motifInFull);
}

WindowOverrides::Rewrite WindowOverrides::composeAgain(X11Connection &x11, xcb_window_t window,
                                                       xcb_atom_t atom)
{
    const auto overridden = m_overrides.find(atom);
    if (overridden == m_overrides.end() || !overridden->compose)
        return Rewrite::NotOurs;
    const std::optional<X11::RawProperty> now = X11::readProperty(x11, window, atom);
    if (!now || *now == overridden->written)
        return Rewrite::NotOurs;
    if (++overridden->rewrites > maxRewrites) {
        m_overrides.erase(overridden);
        return Rewrite::LeftToIt;
    }
    overridden->own = *now;
    overridden->written = overridden->compose(*now);
    X11::restoreProperty(x11, window, atom, overridden->written);
    record(x11, window);
    return Rewrite::ComposedAgain;
}

void WindowOverrides::record(X11Connection &x11, xcb_window_t window) const
{
    const xcb_atom_t originals = x11.atoms().kivoOriginal;
    X11::PropertySet own;
    for (auto it = m_overrides.cbegin(); it != m_overrides.cend(); ++it)
        own.insert(it.key(), it->own);
    if (ownStates)
        own.insert(x11.ewmh()->_NET_WM_STATE, cardinalsProperty(XCB_ATOM_ATOM, *ownStates));
    if (own.isEmpty()) {
        xcb_delete_property(x11.xcb(), window, originals);
        return;
    }
    X11::writeCardinals(x11, window, originals, X11::packProperties(own), originals);
}
