// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_SWAYCOMMANDS_H
#define KIVO_SWAYCOMMANDS_H

#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/winprops.h"

#include <QRect>
#include <QStringList>

#include <optional>

// What sway makes of a record, as commands for one window, free of the socket.

// The frame sway gives a window: "normal" (title and border), "pixel" (border only), "none", or
// "csd" (the window draws its own), with the border's width.
struct SwayBorder
{
    QString style = QStringLiteral("normal");
    int width = 2;
};

// What the backend keeps in force on an open window, and takes back when a record stops asking.
struct SwayLasting
{
    enum class Frame { Own, BorderOnly, None };
    Frame frame = Frame::Own;
    bool sticky = false;
    std::optional<quint32> transparency; // percent

    bool operator==(const SwayLasting &other) const;
    bool operator!=(const SwayLasting &other) const { return !(*this == other); }
};

struct SwayDecision
{
    SwayLasting lasting;
    // Record members that have no effect on sway (key names of the record text).
    QStringList notApplied;
};

// What sway does with each property.
DesktopEffects swayEffects(const QString &desktop);

SwayDecision swayDecision(const WinProps &record);

// The commands that take a window from one state to the other; own: its frame before ours.
QStringList swayLastingCommands(const SwayLasting &from, const SwayLasting &to,
                                const SwayBorder &own);

// The commands for a new window on a workspace with the given area (its place among all
// outputs); close_soon is the caller's.
QStringList swayStartCommands(const WinProps &record, const QRect &area);

// Where the record puts a new window on a workspace with the given area: its frame, title bar
// included, among all outputs, the offsets counted from the area's edges; none when the record
// sets no geometry.
std::optional<QRect> swayFrameOf(const WinProps &record, const QRect &area);
// The commands that give a floating window that frame.
QStringList swayPlaceCommands(const QRect &frame);

// The border sway gives new windows, from its configuration's default_border.
SwayBorder swayDefaultBorder(const QString &configuration);

// One RUN_COMMAND payload for the container: matching by its id keeps it exact whatever the
// window's names hold.
QString swayCommandFor(qint64 containerId, const QStringList &commands);

#endif
