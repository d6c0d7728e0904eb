// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/sway/swaycommands.h"

#include "platform/winprops/geometrystring.h"
#include "platform/winprops/winpropsfields.h"

#include <QRegularExpression>

namespace {

// What sway 1.7 does with each property, tried here; null: it has no way to do it.
struct SwayEffect
{
    const char *key;
    const char *command;
};

const SwayEffect swayEffects[] = {
    { "sticky", "sticky enable" }, // shows only on floating windows
    { "no_focus", nullptr }, // sway's no_focus is a rule of its configuration only
    { "no_title", "border pixel" },
    { "no_border", "border none" }, // together with no_title only
    { "no_border_edge", nullptr }, // sway's frame has no resize handle
    { "no_ctrlbtn", nullptr }, // sway draws no buttons
    { "no_button1", nullptr },
    { "no_button2", nullptr },
    { "no_button3", nullptr },
    { "no_tbutton", nullptr }, // no taskbar
    { "no_pager", nullptr }, // no pager
    { "small_image", nullptr },
    { "large_image", nullptr },
    { "close_soon", "kill" },
    { "ontop", nullptr }, // no stacking layers for windows
    { "onbottom", nullptr },
    { "init_maximize", nullptr },
    { "init_minimize", "move scratchpad" },
    { "focus_on_click", nullptr },
    { "geometry", "floating enable, resize set, move absolute position" },
    { "shadow", nullptr },
    { "transparency", "opacity" },
};

bool hasEffect(QLatin1String key)
{
    for (const SwayEffect &effect : swayEffects) {
        if (key == QLatin1String(effect.key))
            return effect.command != nullptr;
    }
    return false;
}

QString opacityOf(const std::optional<quint32> &transparency)
{
    const quint32 percent = qMin(transparency.value_or(0), WinProps::MaxPercent);
    return QString::number((WinProps::MaxPercent - percent) / double(WinProps::MaxPercent));
}

QString frameCommand(SwayLasting::Frame frame, const SwayBorder &own)
{
    switch (frame) {
    case SwayLasting::Frame::Own:
        return own.style == QLatin1String("csd") || own.style == QLatin1String("none")
            ? QStringLiteral("border ") + own.style
            : QStringLiteral("border %1 %2").arg(own.style).arg(own.width);
    case SwayLasting::Frame::BorderOnly:
        return QStringLiteral("border pixel %1").arg(own.width);
    case SwayLasting::Frame::None:
        return QStringLiteral("border none");
    }
    return {};
}

// The offset of a window edge from the area's left or top, for a geometry offset that may
// count from the other edge.
int placed(int offset, bool fromFarEdge, int size, int areaSize)
{
    return fromFarEdge ? areaSize - size - offset : offset;
}

} // namespace

bool SwayLasting::operator==(const SwayLasting &other) const
{
    return frame == other.frame && sticky == other.sticky && transparency == other.transparency;
}

SwayDecision swayDecision(const WinProps &record)
{
    SwayDecision decision;
    for (const WinPropsField &field : winPropsFields()) {
        if (field.isSet(record) && !hasEffect(field.key()))
            decision.notApplied.append(field.key());
    }
    if (record.no_title)
        decision.lasting.frame
            = record.no_border ? SwayLasting::Frame::None : SwayLasting::Frame::BorderOnly;
    else if (record.no_border)
        decision.notApplied.append(QStringLiteral("no_border"));
    decision.lasting.sticky = record.sticky;
    if (record.transparency <= WinProps::MaxPercent)
        decision.lasting.transparency = record.transparency;
    if (!record.geometry.isEmpty() && !parseGeometryString(record.geometry))
        decision.notApplied.append(QStringLiteral("geometry"));
    return decision;
}

QStringList swayLastingCommands(const SwayLasting &from, const SwayLasting &to,
                                const SwayBorder &own)
{
    QStringList commands;
    if (from.frame != to.frame)
        commands.append(frameCommand(to.frame, own));
    if (from.sticky != to.sticky)
        commands.append(to.sticky ? QStringLiteral("sticky enable")
                                  : QStringLiteral("sticky disable"));
    if (from.transparency != to.transparency)
        commands.append(QStringLiteral("opacity ") + opacityOf(to.transparency));
    return commands;
}

std::optional<QRect> swayFrameOf(const WinProps &record, const QRect &area)
{
    const std::optional<GeometrySpec> geometry = parseGeometryString(record.geometry);
    if (!geometry)
        return std::nullopt;
    const int width = qMax(1, geometry->width);
    const int height = qMax(1, geometry->height);
    return QRect(area.x() + placed(geometry->x, geometry->fromRightEdge, width, area.width()),
                 area.y() + placed(geometry->y, geometry->fromBottomEdge, height, area.height()),
                 width, height);
}

QStringList swayPlaceCommands(const QRect &frame)
{
    return { QStringLiteral("resize set %1 %2").arg(frame.width()).arg(frame.height()),
             QStringLiteral("move absolute position %1 %2").arg(frame.x()).arg(frame.y()) };
}

QStringList swayStartCommands(const WinProps &record, const QRect &area)
{
    QStringList commands;
    if (const std::optional<QRect> frame = swayFrameOf(record, area))
        commands << QStringLiteral("floating enable") << swayPlaceCommands(*frame);
    if (record.init_minimize)
        commands.append(QStringLiteral("move scratchpad"));
    return commands;
}

SwayBorder swayDefaultBorder(const QString &configuration)
{
    static const QRegularExpression setting(
        QStringLiteral("^\\s*default_border\\s+(normal|pixel|none)(?:\\s+(\\d+))?\\s*$"),
        QRegularExpression::MultilineOption);
    SwayBorder border;
    QRegularExpressionMatchIterator matches = setting.globalMatch(configuration);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        border.style = match.captured(1);
        border.width = match.captured(2).isEmpty() ? SwayBorder().width : match.captured(2).toInt();
    }
    return border;
}

QString swayCommandFor(qint64 containerId, const QStringList &commands)
{
    return QStringLiteral("[con_id=%1] ").arg(containerId) + commands.join(QStringLiteral(", "));
}
