// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_APPLYDECISION_H
#define KIVO_APPLYDECISION_H

#include "geometrystring.h"
#include "winprops.h"

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
} // namespace Motif

// WM_HINTS (nine cardinals) of a window that asks not to be given the input focus; the window's
// other hints are kept.
QVector<quint32> wmHintsWithoutInput(const QVector<quint32> &own);

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

// What the running desktop makes of the requests.
struct DesktopTraits
{
    bool windowManager = true;
    bool compositor = false;
    // Aspects whose EWMH state the window manager does not list in _NET_SUPPORTED.
    Aspects unsupported;
    // Motif decorations and functions the window manager is known to ignore.
    quint32 ignoredDecorations = 0;
    quint32 ignoredFunctions = 0;
    // The window manager drops the title and the resize handle only together, and the border
    // only with them.
    bool titleGoesWithHandle = false;
};

// What is known of window managers by the name they publish (_NET_WM_NAME of their check
// window); nothing special for others.
DesktopTraits knownTraits(const QString &windowManagerName);

LastingProps lastingPropsOf(const WinProps &record);

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
