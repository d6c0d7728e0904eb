// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/sway/swaycommands.h"

#include "platform/winprops/geometrystring.h"
#include "platform/winprops/winpropsfields.h"

#include <QRegularExpression>

namespace {

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

DesktopEffects swayEffects(const QString &desktop)
{
    // What sway 1.7 does with each property, tried here.
    DesktopEffects effects(desktop);
    effects.set(fieldOf(&WinProps::sticky), Effect::Applied,
                QStringLiteral("floating windows only"));
    effects.set(fieldOf(&WinProps::no_title), Effect::Applied,
                QStringLiteral("a thin border stays"));
    effects.set(fieldOf(&WinProps::no_border), Effect::Applied,
                QStringLiteral("only together with no_title"));
    effects.set(fieldOf(&WinProps::close_soon), Effect::Applied);
    effects.set(fieldOf(&WinProps::init_minimize), Effect::Applied,
                QStringLiteral("to the scratchpad"));
    effects.set(fieldOf(&WinProps::geometry), Effect::Applied, QStringLiteral("the window floats"));
    effects.set(fieldOf(&WinProps::transparency), Effect::Applied);
    // sway draws no buttons nor resize handles, has no taskbar, pager, stacking layers, images
    // or shadows, and its no_focus is a rule of its configuration only.
    for (bool WinProps::*none :
         { &WinProps::no_focus, &WinProps::no_border_edge, &WinProps::no_ctrlbtn,
           &WinProps::no_button1, &WinProps::no_button2, &WinProps::no_button3,
           &WinProps::no_tbutton, &WinProps::no_pager, &WinProps::ontop, &WinProps::onbottom,
           &WinProps::init_maximize, &WinProps::focus_on_click })
        effects.set(fieldOf(none), Effect::NoEffect);
    for (QString WinProps::*none : { &WinProps::small_image, &WinProps::large_image })
        effects.set(fieldOf(none), Effect::NoEffect);
    effects.set(fieldOf(&WinProps::shadow), Effect::NoEffect);
    return effects;
}

SwayDecision swayDecision(const WinProps &record)
{
    SwayDecision decision;
    for (const WinPropsField &field : winPropsFields()) {
        if (field.isSet(record) && !swayEffects(QString()).hasEffect(field))
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
