// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applier/applydecision.h"

#include "platform/winprops/winpropsfields.h"

namespace {

// A Motif field with its "all" bit expanded: with that bit, the other bits name what is left out.
quint32 expanded(quint32 value, quint32 allBit, quint32 everything)
{
    return (value & allBit) ? everything & ~value : value & everything;
}

constexpr int wmHintsLength = 9;
constexpr quint32 wmHintsInputFlag = 1;
constexpr int sizeHintsLength = 18;
constexpr int sizeHintsGravityField = 17;
constexpr quint32 userPositionFlag = 1;
constexpr quint32 userSizeFlag = 2;
constexpr quint32 programPositionFlag = 4;
constexpr quint32 programSizeFlag = 8;
constexpr quint32 gravityFlag = 512;

struct MemberBits
{
    bool WinProps::*member;
    quint32 decorations;
    quint32 functions;
};

const MemberBits motifMembers[] = {
    { &WinProps::no_title, Motif::DecorTitle, 0 },
    { &WinProps::no_border, Motif::DecorBorder | Motif::DecorResizeHandle, 0 },
    { &WinProps::no_border_edge, Motif::DecorResizeHandle, 0 },
    { &WinProps::no_ctrlbtn, Motif::DecorMenu, 0 },
    { &WinProps::no_button1, Motif::DecorMinimize, Motif::FunctionMinimize },
    { &WinProps::no_button2, Motif::DecorMaximize, Motif::FunctionMaximize },
    { &WinProps::no_button3, 0, Motif::FunctionClose },
};

struct StateMember
{
    bool LastingProps::*state;
    Aspect aspect;
    bool WinProps::*recordSwitch;
};

const StateMember stateMembers[] = {
    { &LastingProps::allDesktops, Aspect::Desktop, &WinProps::sticky },
    { &LastingProps::skipTaskbar, Aspect::SkipTaskbar, &WinProps::no_tbutton },
    { &LastingProps::skipPager, Aspect::SkipPager, &WinProps::no_pager },
    { &LastingProps::above, Aspect::Above, &WinProps::ontop },
    { &LastingProps::below, Aspect::Below, &WinProps::onbottom },
};

// Without title and border no frame is left: every window manager measured drops it whole for
// decorations 0, while some keep it for any other value.
constexpr quint32 framelessBits = Motif::DecorTitle | Motif::DecorBorder;

// The bits of one record member that take effect on this window manager.
MemberBits effectiveBits(const MemberBits &bits, const WindowManagerTraits &manager, bool titleGoes)
{
    const quint32 decorations
        = manager.decorations | (titleGoes ? manager.decorationsWithTitle : 0);
    MemberBits effective = bits;
    effective.decorations &= decorations;
    effective.functions &= manager.functions;
    if (effective.decorations & Motif::DecorTitle)
        effective.decorations |= manager.titleTakes;
    return effective;
}

void fitMotifToDesktop(const WinProps &record, const WindowManagerTraits &manager,
                       LastingProps &target, QStringList &notApplied)
{
    const bool frameless
        = manager.framelessHonoured && (target.decorationsOff & framelessBits) == framelessBits;
    const bool titleGoes = (target.decorationsOff & manager.decorations & Motif::DecorTitle) != 0;
    target.decorationsOff = frameless ? quint32(Motif::AllDecorations) : 0;
    target.functionsOff = 0;
    for (const MemberBits &bits : motifMembers) {
        if (!(record.*bits.member))
            continue;
        const MemberBits effective = effectiveBits(bits, manager, titleGoes);
        target.functionsOff |= effective.functions;
        if (frameless)
            continue;
        target.decorationsOff |= effective.decorations;
        if (!effective.decorations && !effective.functions)
            notApplied.append(fieldOf(bits.member).key());
    }
}

void fitStatesToDesktop(const DesktopTraits &desktop, LastingProps &target, QStringList &notApplied)
{
    for (const StateMember &member : stateMembers) {
        const bool carriedOut
            = desktop.windowManager && !desktop.unsupported.testFlag(member.aspect);
        if (target.*member.state && !carriedOut) {
            notApplied.append(fieldOf(member.recordSwitch).key());
            target.*member.state = false;
        }
    }
}

StartProps startPropsOf(const WinProps &record, const DesktopTraits &desktop,
                        QStringList &notApplied)
{
    StartProps start;
    if (!record.geometry.isEmpty()) {
        start.geometry = parseGeometryString(record.geometry);
        // Applied all the same: a window the tiling window manager floats (a dialog) gets it.
        if (!start.geometry || (desktop.windowManager && desktop.manager.tiles))
            notApplied.append(QStringLiteral("geometry"));
    }
    start.maximize = record.init_maximize;
    start.minimize = record.init_minimize;
    start.closeSoon = record.close_soon;
    if (start.minimize && desktop.windowManager && desktop.manager.ignoresIconify) {
        notApplied.append(QStringLiteral("init_minimize"));
        start.minimize = false;
    }
    if (start.maximize && desktop.windowManager && !desktop.maximizes) {
        notApplied.append(QStringLiteral("init_maximize"));
        start.maximize = false;
    }
    if (!desktop.windowManager) {
        // Only a window manager maximizes or iconifies a window.
        if (start.maximize)
            notApplied.append(QStringLiteral("init_maximize"));
        if (start.minimize)
            notApplied.append(QStringLiteral("init_minimize"));
        start.maximize = start.minimize = false;
    }
    return start;
}

} // namespace

namespace Motif {

QVector<quint32> without(const QVector<quint32> &own, quint32 decorationsOff, quint32 functionsOff)
{
    if (decorationsOff == 0 && functionsOff == 0)
        return own;
    QVector<quint32> hints = own;
    hints.resize(hintsLength);
    if (functionsOff) {
        const quint32 functions = (hints[0] & HintFunctions)
            ? expanded(hints[1], FunctionAll, AllFunctions)
            : quint32(AllFunctions);
        hints[0] |= HintFunctions;
        hints[1] = functions & ~functionsOff;
    }
    if (decorationsOff) {
        const quint32 decorations = (hints[0] & HintDecorations)
            ? expanded(hints[2], DecorAll, AllDecorations)
            : quint32(AllDecorations);
        hints[0] |= HintDecorations;
        hints[2] = decorations & ~decorationsOff;
    }
    return hints;
}

QVector<quint32> complete(const QVector<quint32> &own)
{
    QVector<quint32> hints = own;
    hints.resize(hintsLength);
    if (!(hints[0] & HintFunctions))
        hints[1] = FunctionAll;
    if (!(hints[0] & HintDecorations))
        hints[2] = DecorAll;
    hints[0] |= HintFunctions | HintDecorations;
    return hints;
}

} // namespace Motif

QVector<quint32> wmHintsWithoutInput(const QVector<quint32> &own)
{
    QVector<quint32> hints = own;
    hints.resize(wmHintsLength);
    hints[0] |= wmHintsInputFlag;
    hints[1] = 0;
    return hints;
}

QVector<quint32> sizeHintsAsTheUsers(const QVector<quint32> &own, quint32 gravity)
{
    // Not the old position fields: xfwm4 reads them when it manages the window again, after the
    // user moved it.
    QVector<quint32> hints = own;
    hints.resize(sizeHintsLength);
    hints[0] = (hints[0] & ~(programPositionFlag | programSizeFlag)) | userPositionFlag
        | userSizeFlag | gravityFlag;
    hints[sizeHintsGravityField] = gravity;
    return hints;
}

quint32 opacityOf(quint32 transparencyPercent)
{
    const quint64 opaque = 0xFFFFFFFFu;
    const quint64 percent = qMin<quint64>(transparencyPercent, WinProps::MaxPercent);
    return static_cast<quint32>(opaque * (WinProps::MaxPercent - percent) / WinProps::MaxPercent);
}

bool LastingProps::operator==(const LastingProps &other) const
{
    return differences(*this, other) == Aspects();
}

Aspects differences(const LastingProps &a, const LastingProps &b)
{
    Aspects changed;
    auto note = [&changed](bool differs, Aspect aspect) {
        if (differs)
            changed |= aspect;
    };
    note(a.decorationsOff != b.decorationsOff || a.functionsOff != b.functionsOff,
         Aspect::Decorations);
    for (const StateMember &member : stateMembers)
        note(a.*member.state != b.*member.state, member.aspect);
    note(a.noFocus != b.noFocus, Aspect::Focus);
    note(a.opacity != b.opacity, Aspect::Opacity);
    note(a.shadow != b.shadow, Aspect::Shadow);
    note(a.smallImage != b.smallImage || a.largeImage != b.largeImage, Aspect::Icon);
    return changed;
}

namespace {

const std::vector<WindowManagerTraits> &measuredTraits()
{
    using namespace Motif;
    constexpr quint32 buttons = FunctionMinimize | FunctionMaximize | FunctionClose;
    // Measured on Debian 12's packages; the README lists what each one shows.
    static const std::vector<WindowManagerTraits> known = {
        WindowManagerTraits::named("Openbox")
            .honouringDecorations(DecorTitle)
            .honouringWithTheTitle(DecorBorder | DecorResizeHandle)
            .titleGoingOnlyWith(DecorResizeHandle)
            .honouringFunctions(0)
            .restoredByDeletingHints()
            .countingBorderInGravity(),
        WindowManagerTraits::named("Fluxbox")
            .honouringDecorations(DecorTitle | DecorBorder | DecorResizeHandle)
            .honouringFunctions(0)
            .countingBorderInGravity(),
        WindowManagerTraits::named("IceWM")
            .honouringFunctions(buttons)
            .restoredByDeletingHints()
            .ignoringGravityOfMoveResize(),
        WindowManagerTraits::named("Xfwm4").honouringDecorations(DecorMenu).honouringFunctions(
            buttons),
        WindowManagerTraits::named("Metacity")
            .honouringDecorations(0)
            .honouringFunctions(FunctionMinimize | FunctionClose)
            .restoredByDeletingHints()
            .countingBorderInGravity()
            .keepingWindowWhenUnframed(),
        WindowManagerTraits::named("JWM")
            .honouringDecorations(DecorTitle)
            .honouringWithTheTitle(DecorBorder)
            .honouringFunctions(buttons)
            .restoredByDeletingHints()
            .unstickingOnlyOnAnotherDesktop(),
        // MATE's: Metacity's frames, but deleting the hints leaves a window without its frame.
        WindowManagerTraits::named("Metacity (Marco)")
            .honouringDecorations(0)
            .honouringFunctions(FunctionMinimize | FunctionClose)
            .countingBorderInGravity()
            .keepingWindowWhenUnframed(),
        // GNOME's on X11: the same, and only rewritten hints bring the frame back.
        WindowManagerTraits::named("Mutter")
            .honouringDecorations(0)
            .honouringFunctions(FunctionMinimize | FunctionClose)
            .countingBorderInGravity()
            .keepingWindowWhenUnframed(),
        // Its titlebars and borders come from its own configuration, whatever a window asks.
        WindowManagerTraits::named("awesome")
            .honouringDecorations(0)
            .honouringFunctions(0)
            .keepingTheFrameForNoDecorations(),
        // Weston's X11 window manager, under Xwayland, measured by its screenshots: a frame
        // unless the decorations are 0; no client list.
        WindowManagerTraits::named("Weston")
            .honouringDecorations(0)
            .honouringFunctions(0)
            .reframingWhenResized()
            .placingWindowsItself()
            .ignoringIconify()
            .ignoringCompositingHints(),
        // Tiling; it has no buttons, and draws the border alone without a title.
        WindowManagerTraits::named("i3")
            .honouringDecorations(DecorTitle)
            .honouringWithTheTitle(DecorBorder)
            .honouringFunctions(0)
            .readingHintsOnlyWhenTaking()
            .tilingWindows()
            .ignoringIconify(),
    };
    return known;
}

} // namespace

QStringList measuredWindowManagers()
{
    QStringList names;
    for (const WindowManagerTraits &traits : measuredTraits())
        names.append(QLatin1String(traits.name));
    return names;
}

WindowManagerTraits windowManagerTraits(const QString &windowManagerName)
{
    // Marco calls itself "Metacity (Marco)": the whole name first, then its first word.
    for (const QString &name :
         { windowManagerName, windowManagerName.section(QLatin1Char(' '), 0, 0) }) {
        for (const WindowManagerTraits &traits : measuredTraits()) {
            if (name == QLatin1String(traits.name))
                return traits;
        }
    }
    return WindowManagerTraits();
}

LastingProps lastingPropsOf(const WinProps &record)
{
    LastingProps props;
    for (const MemberBits &bits : motifMembers) {
        if (record.*bits.member) {
            props.decorationsOff |= bits.decorations;
            props.functionsOff |= bits.functions;
        }
    }
    for (const StateMember &member : stateMembers)
        props.*member.state = record.*member.recordSwitch;
    props.below = props.below && !record.ontop;
    props.noFocus = record.no_focus;
    if (record.transparency <= WinProps::MaxPercent)
        props.opacity = opacityOf(record.transparency);
    if (record.shadow <= WinProps::MaxPercent)
        props.shadow = record.shadow > 0 ? 1 : 0;
    props.smallImage = record.small_image;
    props.largeImage = record.large_image;
    return props;
}

QString i3BorderStyle(const QVector<quint32> &hints, const QString &defaultStyle)
{
    static const QStringList lessToMore
        = { QStringLiteral("none"), QStringLiteral("pixel"), QStringLiteral("normal") };
    QString asked = QStringLiteral("normal");
    if (hints.size() > 2 && (hints[0] & Motif::HintDecorations)) {
        const quint32 decorations = expanded(hints[2], Motif::DecorAll, Motif::AllDecorations);
        asked = (decorations & Motif::DecorTitle) ? QStringLiteral("normal")
            : (decorations & Motif::DecorBorder)  ? QStringLiteral("pixel")
                                                  : QStringLiteral("none");
    }
    const int byDefault = qMax(0, lessToMore.indexOf(defaultStyle));
    return lessToMore.at(qMin(lessToMore.indexOf(asked), byDefault));
}

namespace {

// Of a frame property that takes effect alone.
QString frameNote(const WindowManagerTraits &manager, bool WinProps::*member)
{
    if (member == &WinProps::no_title
        && (manager.titleTakes & (Motif::DecorBorder | Motif::DecorResizeHandle)))
        return QStringLiteral("also removes the border here");
    return QString();
}

// Of a frame property that takes effect only where the whole frame goes.
QString framelessNote(bool WinProps::*member)
{
    if (member == &WinProps::no_title || member == &WinProps::no_border)
        return QStringLiteral("only together with %1 here: then the whole frame goes")
            .arg(member == &WinProps::no_title ? QStringLiteral("no_border")
                                               : QStringLiteral("no_title"));
    return QString();
}

void setMotifEffects(const WindowManagerTraits &manager, DesktopEffects &effects)
{
    const bool measured = *manager.name != 0;
    for (const MemberBits &bits : motifMembers) {
        const WinPropsField &field = fieldOf(bits.member);
        const MemberBits alone = effectiveBits(bits, manager, false);
        const MemberBits withTitle = effectiveBits(bits, manager, true);
        const bool framing = bits.decorations & framelessBits;
        if (!measured)
            effects.set(field, Effect::Applied, unmeasuredNote());
        else if (alone.decorations || alone.functions)
            effects.set(field, Effect::Applied, frameNote(manager, bits.member));
        else if (withTitle.decorations)
            effects.set(field, Effect::Applied, QStringLiteral("only together with no_title here"));
        else if (framing && manager.framelessHonoured)
            effects.set(field, Effect::Applied, framelessNote(bits.member));
        else
            effects.set(field, Effect::NoEffect);
    }
}

} // namespace

QString unmeasuredNote()
{
    return QStringLiteral("not measured on this window manager: may have no effect");
}

DesktopEffects x11Effects(const DesktopTraits &desktop, const QString &windowManagerName)
{
    DesktopEffects effects(desktop.windowManager ? windowManagerName
                                                 : QStringLiteral("X11 without a window manager"));
    setMotifEffects(desktop.manager, effects);
    for (const StateMember &member : stateMembers) {
        const bool carriedOut
            = desktop.windowManager && !desktop.unsupported.testFlag(member.aspect);
        effects.set(fieldOf(member.recordSwitch), carriedOut ? Effect::Applied : Effect::NoEffect);
    }
    effects.set(fieldOf(&WinProps::onbottom), effects.of(fieldOf(&WinProps::onbottom)).effect,
                QStringLiteral("not together with ontop"));
    effects.set(fieldOf(&WinProps::focus_on_click), Effect::NoEffect,
                QStringLiteral("the window manager's focus model decides"));
    const Effect managed = desktop.windowManager ? Effect::Applied : Effect::NoEffect;
    effects.set(fieldOf(&WinProps::init_maximize), desktop.maximizes ? managed : Effect::NoEffect);
    effects.set(fieldOf(&WinProps::init_minimize),
                desktop.manager.ignoresIconify ? Effect::NoEffect : managed);
    const bool honoured = desktop.compositor && !desktop.manager.ignoresCompositingHints;
    const Effect composited = honoured ? Effect::Applied : Effect::NoEffect;
    const QString noCompositor = honoured ? QString()
        : desktop.compositor              ? QStringLiteral("the compositor ignores it")
                                          : QStringLiteral("needs a compositing manager");
    effects.set(fieldOf(&WinProps::shadow), composited, noCompositor);
    effects.set(fieldOf(&WinProps::transparency), composited, noCompositor);
    // Focus hints, images, geometry and closing need no window manager's help.
    effects.set(fieldOf(&WinProps::no_focus), Effect::Applied);
    effects.set(fieldOf(&WinProps::small_image), Effect::Applied);
    effects.set(fieldOf(&WinProps::large_image), Effect::Applied);
    if (desktop.windowManager && desktop.manager.tiles)
        effects.set(fieldOf(&WinProps::geometry), Effect::NoEffect,
                    QStringLiteral("tiled windows get the size and place of their tile"));
    else
        effects.set(fieldOf(&WinProps::geometry), Effect::Applied,
                    desktop.manager.placesWindowsItself
                        ? QStringLiteral("the size only: the window manager ignores the position")
                        : QString());
    effects.set(fieldOf(&WinProps::close_soon), Effect::Applied);
    return effects;
}

ApplyDecision decide(const WinProps *record, bool isNewWindow, const LastingProps &applied,
                     const DesktopTraits &desktop)
{
    ApplyDecision decision;
    if (record) {
        decision.lasting = lastingPropsOf(*record);
        // Keeping on top and at the bottom at once cannot be; on top wins.
        if (record->ontop && record->onbottom)
            decision.notApplied.append(QStringLiteral("onbottom"));
        fitMotifToDesktop(*record, desktop.manager, decision.lasting, decision.notApplied);
        fitStatesToDesktop(desktop, decision.lasting, decision.notApplied);
        // No hint asks a window manager for focus on click only; its focus model decides.
        if (record->focus_on_click)
            decision.notApplied.append(QStringLiteral("focus_on_click"));
        if (!desktop.compositor || desktop.manager.ignoresCompositingHints) {
            // Written all the same, for a compositing manager started later.
            if (record->shadow <= WinProps::MaxPercent)
                decision.notApplied.append(QStringLiteral("shadow"));
            if (record->transparency <= WinProps::MaxPercent)
                decision.notApplied.append(QStringLiteral("transparency"));
        }
        if (isNewWindow)
            decision.start = startPropsOf(*record, desktop, decision.notApplied);
    }
    decision.changes = differences(decision.lasting, applied);
    return decision;
}

RecordMatcher::RecordMatcher(const WinPropsList &records)
    : m_records(records)
{
    m_firstIndex.reserve(records.size());
    for (int i = records.size() - 1; i >= 0; --i)
        m_firstIndex.insert(records.at(i).winName(), i);
}

const WinProps *RecordMatcher::match(const QString &instance, const QString &className) const
{
    for (const QString &name : { instance, className }) {
        if (name.isEmpty())
            continue;
        const auto found = m_firstIndex.constFind(name);
        if (found != m_firstIndex.constEnd())
            return &m_records.at(*found);
    }
    return nullptr;
}
