// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_APPLYDECISION_H
#define KIVO_APPLYDECISION_H

#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/geometrystring.h"
#include "platform/winprops/winprops.h"

#include <QFlags>
#include <QHash>
#include <QStringList>
#include <QVector>

#include <optional>

// What the applier decides for one window, free of any window system: which record applies,
// which properties to put in force or to take back, and what happens only to a new window.

// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
namespace Motif {
enum : quint32 {
    HintFunctions = 1,
    HintDecorations = 2,

    FunctionAll = 1,
    FunctionResize = 2,
    FunctionMove = 4,
    FunctionMinimize = 8,
    FunctionMaximize = 16,
    FunctionClose = 32,
    AllFunctions
    = FunctionResize | FunctionMove | FunctionMinimize | FunctionMaximize | FunctionClose,

    DecorAll = 1,
    DecorBorder = 2,
    DecorResizeHandle = 4,
    DecorTitle = 8,
    DecorMenu = 16,
    DecorMinimize = 32,
    DecorMaximize = 64,
    AllDecorations
    = DecorBorder | DecorResizeHandle | DecorTitle | DecorMenu | DecorMinimize | DecorMaximize,
};
constexpr int hintsLength = 5;

// The window's own hints (any length, empty when it has none) with the given decorations and
// functions taken away; the window's other choices are kept.
QVector<quint32> without(const QVector<quint32> &own, quint32 decorationsOff, quint32 functionsOff);
// The window's own hints with every decoration and function it leaves unsaid spelt out as
// allowed: for window managers that keep what they last read when the hints are deleted.
QVector<quint32> complete(const QVector<quint32> &own);
} // namespace Motif

// WM_HINTS (nine cardinals) of a window that asks not to be given the input focus; the window's
// other hints are kept.
QVector<quint32> wmHintsWithoutInput(const QVector<quint32> &own);

// WM_NORMAL_HINTS (eighteen cardinals) that give the window's position and size, as it is
// configured, as the user's choice, with the given gravity; the program's limits and increments
// are kept.
QVector<quint32> sizeHintsAsTheUsers(const QVector<quint32> &own, quint32 gravity);

// _NET_WM_WINDOW_OPACITY for a transparency of 0 (opaque) to 100 percent.
quint32 opacityOf(quint32 transparencyPercent);

// The properties the applier keeps in force on open windows, and takes back when a record stops
// setting them.
struct LastingProps
{
    quint32 decorationsOff = 0;
    quint32 functionsOff = 0;
    bool allDesktops = false;
    bool skipTaskbar = false;
    bool skipPager = false;
    bool above = false;
    bool below = false;
    bool noFocus = false;
    std::optional<quint32> opacity;
    std::optional<quint32> shadow; // 0: none asked for, 1: a shadow
    QString smallImage;
    QString largeImage;

    bool isFrameless() const { return decorationsOff == Motif::AllDecorations; }
    bool operator==(const LastingProps &other) const;
    bool operator!=(const LastingProps &other) const { return !(*this == other); }
};

// The parts of LastingProps that are applied each in one step.
enum class Aspect : quint32 {
    Decorations = 1u << 0, // decorationsOff and functionsOff
    Desktop = 1u << 1,
    SkipTaskbar = 1u << 2,
    SkipPager = 1u << 3,
    Above = 1u << 4,
    Below = 1u << 5,
    Focus = 1u << 6,
    Opacity = 1u << 7,
    Shadow = 1u << 8,
    Icon = 1u << 9,
};
Q_DECLARE_FLAGS(Aspects, Aspect)
Q_DECLARE_OPERATORS_FOR_FLAGS(Aspects)

// The aspects in which two states differ.
Aspects differences(const LastingProps &a, const LastingProps &b);

// What a window gets only when it appears.
struct StartProps
{
    std::optional<GeometrySpec> geometry;
    bool maximize = false;
    bool minimize = false;
    bool closeSoon = false;

    bool isEmpty() const { return !geometry && !maximize && !minimize && !closeSoon; }
};

struct ApplyDecision
{
    LastingProps lasting; // what is in force once the changes are made
    Aspects changes; // the aspects to put in force or to take back
    StartProps start; // empty unless the window is new
    // Record members that have no effect on this desktop (key names of the record text).
    QStringList notApplied;
};

// What one window manager makes of _MOTIF_WM_HINTS and of its requests, measured under Xvfb
// (tests/x11/measure-wm-traits.sh): a window manager not listed is taken to honour every bit.
struct WindowManagerTraits
{
    // As its supporting check window names itself (_NET_WM_NAME), whole or up to the first
    // space; empty for a window manager that was not measured.
    const char *name = "";
    // Decoration bits that take effect one by one.
    quint32 decorations = Motif::AllDecorations;
    // Decoration bits that take effect only while the title goes too.
    quint32 decorationsWithTitle = 0;
    // Decoration bits that must go with the title for it to go at all.
    quint32 titleTakes = 0;
    // Decorations 0 take the whole frame away.
    bool framelessHonoured = true;
    quint32 functions = Motif::AllFunctions;
    // Deleting the hints gives the frame back; else they are rewritten with every decoration.
    bool deletingHintsRestores = false;
    // _NET_MOVERESIZE_WINDOW places the frame's top left corner whatever gravity it is given.
    bool moveResizeIgnoresGravity = false;
    // Where the gravity puts the far edges, the window's X border as it was created counts,
    // though the window manager takes the border away.
    bool gravityCountsBorder = false;
    // Taking the frame away after the window was placed keeps the window, not its frame, where
    // it was.
    bool unframingKeepsWindow = false;
    // A window on all desktops keeps the sticky state when asked back to the current desktop,
    // and ignores a request to take the state away: only a move to another desktop ends it.
    bool unstickedByAnotherDesktop = false;
    // A change of the hints of a shown window takes effect only at a resize after the window
    // manager has read them: the applier resizes the window by a pixel, and back.
    bool reframesWhenResized = false;
    // The window manager ignores the positions others ask for; only the size of a geometry
    // holds.
    bool placesWindowsItself = false;
    // A request to iconify a window is ignored.
    bool ignoresIconify = false;
    // The compositor ignores the opacity and shadow hints.
    bool ignoresCompositingHints = false;
    // The frame hints are read only when the window manager takes a window: a change on a shown
    // window, its undo included, shows only once it takes the window again.
    bool readsHintsOnlyWhenTaking = false;
    // Windows are tiled: a window gets the size and place of its tile, not those it asks for.
    bool tiles = false;

    // Named steps, so that the table of measured window managers reads as what was measured.
    static constexpr WindowManagerTraits named(const char *name)
    {
        WindowManagerTraits traits;
        traits.name = name;
        return traits;
    }
    constexpr WindowManagerTraits honouringDecorations(quint32 bits) const
    {
        return with(&WindowManagerTraits::decorations, bits);
    }
    constexpr WindowManagerTraits honouringWithTheTitle(quint32 bits) const
    {
        return with(&WindowManagerTraits::decorationsWithTitle, bits);
    }
    constexpr WindowManagerTraits titleGoingOnlyWith(quint32 bits) const
    {
        return with(&WindowManagerTraits::titleTakes, bits);
    }
    constexpr WindowManagerTraits keepingTheFrameForNoDecorations() const
    {
        return with(&WindowManagerTraits::framelessHonoured, false);
    }
    constexpr WindowManagerTraits honouringFunctions(quint32 bits) const
    {
        return with(&WindowManagerTraits::functions, bits);
    }
    constexpr WindowManagerTraits restoredByDeletingHints() const
    {
        return with(&WindowManagerTraits::deletingHintsRestores, true);
    }
    constexpr WindowManagerTraits ignoringGravityOfMoveResize() const
    {
        return with(&WindowManagerTraits::moveResizeIgnoresGravity, true);
    }
    constexpr WindowManagerTraits countingBorderInGravity() const
    {
        return with(&WindowManagerTraits::gravityCountsBorder, true);
    }
    constexpr WindowManagerTraits keepingWindowWhenUnframed() const
    {
        return with(&WindowManagerTraits::unframingKeepsWindow, true);
    }
    constexpr WindowManagerTraits unstickingOnlyOnAnotherDesktop() const
    {
        return with(&WindowManagerTraits::unstickedByAnotherDesktop, true);
    }
    constexpr WindowManagerTraits reframingWhenResized() const
    {
        return with(&WindowManagerTraits::reframesWhenResized, true);
    }
    constexpr WindowManagerTraits placingWindowsItself() const
    {
        return with(&WindowManagerTraits::placesWindowsItself, true);
    }
    constexpr WindowManagerTraits ignoringIconify() const
    {
        return with(&WindowManagerTraits::ignoresIconify, true);
    }
    constexpr WindowManagerTraits ignoringCompositingHints() const
    {
        return with(&WindowManagerTraits::ignoresCompositingHints, true);
    }
    constexpr WindowManagerTraits readingHintsOnlyWhenTaking() const
    {
        return with(&WindowManagerTraits::readsHintsOnlyWhenTaking, true);
    }
    constexpr WindowManagerTraits tilingWindows() const
    {
        return with(&WindowManagerTraits::tiles, true);
    }

private:
    template<typename Value>
    constexpr WindowManagerTraits with(Value WindowManagerTraits::*member, Value value) const
    {
        WindowManagerTraits traits = *this;
        traits.*member = value;
        return traits;
    }
};

// The traits of a window manager by the name it publishes; those of one not measured otherwise.
WindowManagerTraits windowManagerTraits(const QString &windowManagerName);
// The names of the window managers whose traits were measured.
QStringList measuredWindowManagers();

// What the running desktop makes of the requests.
struct DesktopTraits
{
    bool windowManager = true;
    bool compositor = false;
    // Aspects whose EWMH state the window manager does not list in _NET_SUPPORTED.
    Aspects unsupported;
    // It keeps _NET_CLIENT_LIST; else its clients are found by their WM_STATE.
    bool listsClients = true;
    // It lists the maximized states in _NET_SUPPORTED (i3 does not).
    bool maximizes = true;
    WindowManagerTraits manager;
};

LastingProps lastingPropsOf(const WinProps &record);

// The frame style ("normal", "pixel" or "none") i3 gives a window with these Motif hints as it
// takes it, measured: the hints only take away from its default style.
QString i3BorderStyle(const QVector<quint32> &hints, const QString &defaultStyle);

// The note of a property applied on a window manager whose traits were not measured.
QString unmeasuredNote();

// What the applier does with each property on this desktop, from the same traits decide() uses.
// displayName names an X display without a window manager.
DesktopEffects x11Effects(const DesktopTraits &desktop, const QString &windowManagerName);

// record: the window's record, or null when none applies. applied: what is in force from before.
ApplyDecision decide(const WinProps *record, bool isNewWindow, const LastingProps &applied,
                     const DesktopTraits &desktop = DesktopTraits());

// Finds the record of a window: a record named like the WM_CLASS instance wins over one named
// like the class; among records of the same name, the first in the collection. Names compare
// exactly.
class RecordMatcher
{
public:
    RecordMatcher() = default;
    explicit RecordMatcher(const WinPropsList &records);

    const WinProps *match(const QString &instance, const QString &className) const;
    bool isEmpty() const { return m_records.isEmpty(); }

private:
    WinPropsList m_records;
    QHash<QString, int> m_firstIndex;
};

#endif
