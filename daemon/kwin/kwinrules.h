// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_KWINRULES_H
#define KIVO_KWINRULES_H

#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/winprops.h"

#include <QByteArray>
#include <QJsonObject>
#include <QRect>
#include <QStringList>

// What KWin's window rules make of the records, and the rules file (kwinrulesrc) holding them
// beside the user's own rules, free of KWin.

// The groups of one record: their entries ("key=value" lines), and the record members KWin's
// rules cannot do (key names of the record text). No entries when the record sets nothing KWin
// does.
struct KwinRule
{
    // Matching the windows of that class.
    QByteArrayList entries;
    QStringList notApplied;
    // A place KWin's rules do not take (a negative offset: KWin places such a window itself),
    // which our script gives every new window of the record instead: "position" and "size".
    QJsonObject scriptedStart;
};

// A JSON object as a JavaScript expression, whatever its strings hold.
QByteArray asJavaScript(const QJsonObject &object);

// What KWin's rules do with each property; desktop: kwinOnWayland() or "KWin on X11".
DesktopEffects kwinEffects(const QString &desktop);
QString kwinOnWayland();
// Measured: KWin's rule "closeable" leaves a Wayland window closeable.
QString x11WindowsOnlyNote();

// screen: the whole screen, all outputs together, in KWin's coordinates, from whose right and
// bottom edges offsets after a '-' count; while it is not known (empty) such a rule has no
// position yet.
KwinRule kwinRuleOf(const WinProps &record, const QRect &screen = QRect());

// The rule of the record of that name matching the windows of that instance: the same
// properties, and every other our rules may set named as "do not affect", so that a record of the
// window's class gives it none.
QByteArrayList kwinInstanceRule(const KwinRule &rule, const QString &name);

// The rules file with the given records as our rules: the user's groups are kept byte for byte,
// in their order, and listed first, so that where both set a property the user's rule wins;
// other entries of [General] are kept too.
QByteArray kwinRulesWith(const QByteArray &file, const WinPropsList &records,
                         const QRect &screen = QRect());

// The ids of the user's rules (ours left out), as [General] lists them.
QByteArrayList kwinUserRuleIds(const QByteArray &file);

// What our rules in the file as it was forced and the records' rules no longer do, by the record's
// name in lower case (a window's instance, or else its class): the window properties of KWin's
// scripts with the values that take them back. KWin leaves a window as it is when a rule goes away.
QJsonObject kwinUndo(const QByteArray &before, const WinPropsList &after);
// A KWin script that takes that back on the open windows; empty when there is nothing to.
QByteArray kwinUndoScript(const QJsonObject &undo);

// What the records' rules apply initially and our rules in the file as it was did not, by the
// record's name in lower case: "position" and "size" ([x, y], [width, height] of the frame),
// "maximize" and "minimize" (true). KWin reads its rules a moment after it is told to, and a
// window opened meanwhile would start without them.
QJsonObject kwinStartsChanged(const QByteArray &before, const WinPropsList &after,
                              const QRect &screen = QRect());

#endif
