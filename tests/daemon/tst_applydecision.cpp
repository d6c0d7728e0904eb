// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applier/applydecision.h"
#include "daemon/gnome/gnomebackend.h"
#include "daemon/kwin/kwinrules.h"
#include "daemon/sway/swaycommands.h"
#include "tests/common/testrecords.h"

#include <QtTest>

namespace {

DesktopTraits desktopNamed(const QString &name)
{
    if (name == QLatin1String("none")) {
        DesktopTraits traits;
        traits.windowManager = false;
        return traits;
    }
    DesktopTraits traits;
    traits.manager = windowManagerTraits(name);
    traits.compositor = name == QLatin1String("composited");
    if (name == QLatin1String("no pager"))
        traits.unsupported = Aspect::SkipPager;
    traits.maximizes = name != QLatin1String("no maximized state");
    return traits;
}

QStringList aspectNames(Aspects aspects)
{
    static const QPair<Aspect, const char *> names[] = {
        { Aspect::Decorations, "decorations" },
        { Aspect::Desktop, "desktop" },
        { Aspect::SkipTaskbar, "taskbar" },
        { Aspect::SkipPager, "pager" },
        { Aspect::Above, "above" },
        { Aspect::Below, "below" },
        { Aspect::Focus, "focus" },
        { Aspect::Opacity, "opacity" },
        { Aspect::Shadow, "shadow" },
        { Aspect::Icon, "icon" },
    };
    QStringList result;
    for (const auto &name : names) {
        if (aspects.testFlag(name.first))
            result.append(QLatin1String(name.second));
    }
    return result;
}

QString startSummary(const StartProps &start)
{
    QStringList parts;
    if (start.geometry)
        parts.append(QStringLiteral("geometry ") + geometryStringOf(*start.geometry));
    if (start.maximize)
        parts.append(QStringLiteral("maximize"));
    if (start.minimize)
        parts.append(QStringLiteral("minimize"));
    if (start.closeSoon)
        parts.append(QStringLiteral("close soon"));
    return parts.join(QStringLiteral(", "));
}

using Cardinals = QVector<quint32>;

} // namespace

Q_DECLARE_METATYPE(Cardinals)

// What the applier decides for a window, without any window system.
class TestApplyDecision : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyBackendSaysWhatEachPropertyDoes_data();
    void everyBackendSaysWhatEachPropertyDoes();
    void matchesTheRecordOfAWindow_data();
    void matchesTheRecordOfAWindow();
    void decides_data();
    void decides();
    void motifHintsKeepTheWindowsOwnChoices_data();
    void motifHintsKeepTheWindowsOwnChoices();
    void focusHintsKeepTheWindowsOwnHints_data();
    void focusHintsKeepTheWindowsOwnHints();
    void sizeHintsPlaceTheWindowKeepingItsLimits_data();
    void sizeHintsPlaceTheWindowKeepingItsLimits();
    void transparencyBecomesOpacity_data();
    void transparencyBecomesOpacity();
    void i3TakesAwayOnlyFromItsDefaultFrame_data();
    void i3TakesAwayOnlyFromItsDefaultFrame();
};

void TestApplyDecision::matchesTheRecordOfAWindow_data()
{
    QTest::addColumn<QStringList>("collection");
    QTest::addColumn<QString>("instance");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("expected"); // the record text, empty for none

    const QStringList both = { "XTerm;ontop", "xterm;no_title" };
    QTest::newRow("instance") << both << "xterm"
                              << "Other"
                              << "xterm;no_title";
    QTest::newRow("class") << both << "other"
                           << "XTerm"
                           << "XTerm;ontop";
    QTest::newRow("instance wins over an earlier class record") << both << "xterm"
                                                                << "XTerm"
                                                                << "xterm;no_title";
    QTest::newRow("letter case counts") << both << "XTERM"
                                        << "xTerm"
                                        << "";
    QTest::newRow("nothing trimmed") << both << " xterm"
                                     << "XTerm "
                                     << "";
    QTest::newRow("first of two records of one name")
        << QStringList { "vlc;ontop", "vlc;onbottom" } << "vlc"
        << ""
        << "vlc;ontop";
    QTest::newRow("no WM_CLASS names") << both << ""
                                       << ""
                                       << "";
    QTest::newRow("only a class") << both << ""
                                  << "XTerm"
                                  << "XTerm;ontop";
    QTest::newRow("non-Latin") << QStringList { "Окно;sticky" } << "окно"
                               << "Окно"
                               << "Окно;sticky";
    QTest::newRow("empty collection") << QStringList() << "xterm"
                                      << "XTerm"
                                      << "";
}

void TestApplyDecision::matchesTheRecordOfAWindow()
{
    QFETCH(QStringList, collection);
    QFETCH(QString, instance);
    QFETCH(QString, className);
    const RecordMatcher matcher(recordsOf(collection));
    const WinProps *found = matcher.match(instance, className);
    QTEST(found ? found->toString() : QString(), "expected");
}

void TestApplyDecision::decides_data()
{
    QTest::addColumn<QString>("recordText"); // empty: no record applies
    QTest::addColumn<bool>("isNew");
    QTest::addColumn<QString>("appliedText"); // what was in force before, as a record
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<quint32>("decorationsOff");
    QTest::addColumn<QStringList>("notApplied");
    QTest::addColumn<QString>("start");

    using L = QStringList;
    const quint32 title = Motif::DecorTitle;
    const quint32 handle = Motif::DecorResizeHandle;
    QTest::newRow("no title") << "w;no_title" << false << ""
                              << "generic" << L { "decorations" } << title << L() << "";
    QTest::newRow("no title on Openbox takes the resize handle along")
        << "w;no_title" << false << ""
        << "Openbox" << L { "decorations" } << (title | handle) << L() << "";
    QTest::newRow("no title and no border leave no frame at all")
        << "w;no_title;no_border;no_button1" << false << ""
        << "Metacity" << L { "decorations" } << quint32(Motif::AllDecorations) << L() << "";
    QTest::newRow("border alone on Openbox has no effect")
        << "w;no_border;no_border_edge" << false << ""
        << "Openbox" << L() << 0u << L { "no_border", "no_border_edge" } << "";
    QTest::newRow("buttons on Openbox have no effect")
        << "w;no_ctrlbtn;no_button1;no_button2;no_button3" << false << ""
        << "Openbox" << L() << 0u << L { "no_ctrlbtn", "no_button1", "no_button2", "no_button3" }
        << "";
    QTest::newRow("no frame on awesome, whatever the hints")
        << "w;no_title;no_border" << false << ""
        << "awesome" << L() << 0u << L { "no_title", "no_border" } << "";
    QTest::newRow("Weston does not minimize")
        << "w;init_minimize;geometry=300x200+10+20" << true << ""
        << "Weston" << L() << 0u << L { "init_minimize" } << "geometry 300x200+10+20";
    QTest::newRow("i3 tiles: the geometry is said, and written for a window it floats")
        << "w;geometry=300x200+10+20" << true << ""
        << "i3" << L() << 0u << L { "geometry" } << "geometry 300x200+10+20";
    QTest::newRow("no maximizing where the maximized states are not listed")
        << "w;init_maximize" << true << ""
        << "no maximized state" << L() << 0u << L { "init_maximize" } << "";
    QTest::newRow("no title alone has no effect on Metacity")
        << "w;no_title;no_button2" << false << ""
        << "Metacity" << L() << 0u << L { "no_title", "no_button2" } << "";
    QTest::newRow("border alone would take the title along on JWM")
        << "w;no_border;no_ctrlbtn;no_button3" << false << ""
        << "JWM" << L { "decorations" } << 0u << L { "no_border", "no_ctrlbtn" } << "";
    QTest::newRow("Fluxbox takes border and handle one by one")
        << "w;no_border" << false << ""
        << "Fluxbox" << L { "decorations" }
        << quint32(Motif::DecorBorder | Motif::DecorResizeHandle) << L() << "";
    QTest::newRow("IceWM is known whatever its version")
        << "w;no_ctrlbtn" << false << ""
        << "IceWM 3.3.1 (Linux/x86_64)" << L { "decorations" } << quint32(Motif::DecorMenu) << L()
        << "";
    QTest::newRow("unticking no title gives the decoration back")
        << "w;ontop" << false << "w;no_title;ontop"
        << "generic" << L { "decorations" } << 0u << L() << "";
    QTest::newRow("a record that stays changes nothing")
        << "w;no_title;ontop;transparency=20" << false << "w;no_title;ontop;transparency=20"
        << "composited" << L() << title << L() << "";
    QTest::newRow("no record any more undoes everything")
        << "" << false << "w;no_title;sticky;no_focus;shadow=5;small_image=x"
        << "generic" << L { "decorations", "desktop", "focus", "shadow", "icon" } << 0u << L()
        << "";
    QTest::newRow("states") << "w;sticky;no_tbutton;no_pager;ontop" << false << ""
                            << "generic" << L { "desktop", "taskbar", "pager", "above" } << 0u
                            << L() << "";
    QTest::newRow("on top wins over at the bottom")
        << "w;ontop;onbottom" << false << ""
        << "generic" << L { "above" } << 0u << L { "onbottom" } << "";
    QTest::newRow("a state the window manager does not support")
        << "w;no_pager;no_tbutton" << false << ""
        << "no pager" << L { "taskbar" } << 0u << L { "no_pager" } << "";
    QTest::newRow("focus on click has no hint")
        << "w;focus_on_click;no_focus" << false << ""
        << "generic" << L { "focus" } << 0u << L { "focus_on_click" } << "";
    QTest::newRow("transparency and shadow are written without a compositor")
        << "w;transparency=50;shadow=0" << false << ""
        << "generic" << L { "opacity", "shadow" } << 0u << L { "shadow", "transparency" } << "";
    QTest::newRow("transparency and shadow with a compositor")
        << "w;transparency=50;shadow=0" << false << ""
        << "composited" << L { "opacity", "shadow" } << 0u << L() << "";
    QTest::newRow("images") << "w;small_image=a;large_image=/b.png" << false << ""
                            << "generic" << L { "icon" } << 0u << L() << "";
    QTest::newRow("start properties of a new window")
        << "w;close_soon;init_maximize;init_minimize;geometry=640x480-10+20" << true << ""
        << "generic" << L() << 0u << L()
        << "geometry 640x480-10+20, maximize, minimize, close soon";
    QTest::newRow("start properties not for an open window")
        << "w;close_soon;init_maximize;geometry=640x480+0+0" << false << ""
        << "generic" << L() << 0u << L() << "";
    QTest::newRow("without a window manager only what needs none")
        << "w;no_title;ontop;sticky;init_maximize;init_minimize;geometry=10x10+1+1;close_soon"
        << true << ""
        << "none" << L { "decorations" } << title
        << L { "sticky", "ontop", "init_maximize", "init_minimize" }
        << "geometry 10x10+1+1, close soon";
}

void TestApplyDecision::decides()
{
    QFETCH(QString, recordText);
    QFETCH(bool, isNew);
    QFETCH(QString, appliedText);
    QFETCH(QString, desktop);
    const std::optional<WinProps> props
        = recordText.isEmpty() ? std::nullopt : std::optional<WinProps>(recordOf(recordText));
    const LastingProps applied
        = appliedText.isEmpty() ? LastingProps() : lastingPropsOf(recordOf(appliedText));
    const ApplyDecision decision
        = decide(props ? &*props : nullptr, isNew, applied, desktopNamed(desktop));
    QTEST(aspectNames(decision.changes), "changes");
    QTEST(decision.lasting.decorationsOff, "decorationsOff");
    QTEST(decision.notApplied, "notApplied");
    QTEST(startSummary(decision.start), "start");
}

void TestApplyDecision::motifHintsKeepTheWindowsOwnChoices_data()
{
    QTest::addColumn<Cardinals>("own");
    QTest::addColumn<quint32>("decorationsOff");
    QTest::addColumn<quint32>("functionsOff");
    QTest::addColumn<Cardinals>("expected");

    const quint32 all = Motif::AllDecorations;
    QTest::newRow("no hints of its own") << Cardinals() << quint32(Motif::DecorTitle) << 0u
                                         << Cardinals { 2, 0, all & ~Motif::DecorTitle, 0, 0 };
    QTest::newRow("its own function hints are kept")
        << Cardinals { 1, Motif::FunctionMove, 0, 0, 0 } << quint32(Motif::DecorBorder) << 0u
        << Cardinals { 3, Motif::FunctionMove, all & ~Motif::DecorBorder, 0, 0 };
    QTest::newRow("'all but' decorations are spelt out")
        << Cardinals { 2, 0, Motif::DecorAll | Motif::DecorMenu, 0, 0 }
        << quint32(Motif::DecorTitle) << 0u
        << Cardinals { 2, 0, all & ~Motif::DecorMenu & ~Motif::DecorTitle, 0, 0 };
    QTest::newRow("functions taken away")
        << Cardinals { 0, 0, 0, 0, 0 } << 0u << quint32(Motif::FunctionClose)
        << Cardinals { 1, Motif::AllFunctions & ~Motif::FunctionClose, 0, 0, 0 };
    QTest::newRow("a short value is filled up")
        << Cardinals { 2, 0, Motif::DecorBorder } << quint32(Motif::DecorBorder) << 0u
        << Cardinals { 2, 0, 0, 0, 0 };
    QTest::newRow("nothing taken away keeps it as it is")
        << Cardinals { 7, 1 } << 0u << 0u << Cardinals { 7, 1 };
}

void TestApplyDecision::motifHintsKeepTheWindowsOwnChoices()
{
    QFETCH(Cardinals, own);
    QFETCH(quint32, decorationsOff);
    QFETCH(quint32, functionsOff);
    QTEST(Motif::without(own, decorationsOff, functionsOff), "expected");
}

void TestApplyDecision::focusHintsKeepTheWindowsOwnHints_data()
{
    QTest::addColumn<Cardinals>("own");
    QTest::addColumn<Cardinals>("expected");
    QTest::newRow("none of its own") << Cardinals() << Cardinals { 1, 0, 0, 0, 0, 0, 0, 0, 0 };
    QTest::newRow("icon and group kept")
        << Cardinals { 0x44, 0, 1, 5, 0, 0, 0, 0, 9 } << Cardinals { 0x45, 0, 1, 5, 0, 0, 0, 0, 9 };
    QTest::newRow("its input hint overridden")
        << Cardinals { 1, 1, 0, 0, 0, 0, 0, 0, 0 } << Cardinals { 1, 0, 0, 0, 0, 0, 0, 0, 0 };
}

void TestApplyDecision::focusHintsKeepTheWindowsOwnHints()
{
    QFETCH(Cardinals, own);
    QTEST(wmHintsWithoutInput(own), "expected");
}

void TestApplyDecision::sizeHintsPlaceTheWindowKeepingItsLimits_data()
{
    QTest::addColumn<Cardinals>("own");
    QTest::addColumn<Cardinals>("expected");
    // USPosition | USSize | PWinGravity and south-east gravity (9); the old position fields
    // stay as they were.
    QTest::newRow("none of its own")
        << Cardinals() << Cardinals { 515, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9 };
    QTest::newRow("its minimum size and increments kept, its own position given up")
        << Cardinals { 4 | 8 | 16 | 64, 1, 2, 3, 4, 50, 60, 0, 0, 7, 8, 0, 0, 0, 0, 0, 0, 1 }
        << Cardinals { 515 | 16 | 64, 1, 2, 3, 4, 50, 60, 0, 0, 7, 8, 0, 0, 0, 0, 0, 0, 9 };
    QTest::newRow("an old short value is filled up")
        << Cardinals { 16, 0, 0, 0, 0, 5, 5 }
        << Cardinals { 515 | 16, 0, 0, 0, 0, 5, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9 };
}

void TestApplyDecision::sizeHintsPlaceTheWindowKeepingItsLimits()
{
    QFETCH(Cardinals, own);
    QTEST(sizeHintsAsTheUsers(own, 9), "expected");
}

void TestApplyDecision::transparencyBecomesOpacity_data()
{
    QTest::addColumn<quint32>("transparency");
    QTest::addColumn<quint32>("opacity");
    QTest::newRow("opaque") << 0u << 0xFFFFFFFFu;
    QTest::newRow("half") << 50u << 0x7FFFFFFFu;
    QTest::newRow("invisible") << 100u << 0u;
    QTest::newRow("beyond the range counts as invisible") << 1000u << 0u;
}

void TestApplyDecision::transparencyBecomesOpacity()
{
    QFETCH(quint32, transparency);
    QTEST(opacityOf(transparency), "opacity");
}

void TestApplyDecision::i3TakesAwayOnlyFromItsDefaultFrame_data()
{
    QTest::addColumn<QVector<quint32>>("hints");
    QTest::addColumn<QString>("byDefault");
    QTest::addColumn<QString>("style");
    const QVector<quint32> noTitle { Motif::HintDecorations, 0, Motif::DecorBorder };
    QTest::newRow("no hints") << QVector<quint32>() << "normal"
                              << "normal";
    QTest::newRow("the border without the title") << noTitle << "normal"
                                                  << "pixel";
    QTest::newRow("neither") << QVector<quint32> { 2, 0, 0 } << "normal"
                             << "none";
    QTest::newRow("a default without title stays") << noTitle << "pixel"
                                                   << "pixel";
    QTest::newRow("a default without frame stays") << noTitle << "none"
                                                   << "none";
}

// Measured under Xvfb with i3 4.22 and three default borders.
void TestApplyDecision::i3TakesAwayOnlyFromItsDefaultFrame()
{
    QFETCH(QVector<quint32>, hints);
    QFETCH(QString, byDefault);
    QTEST(i3BorderStyle(hints, byDefault), "style");
}

// What a backend declares, and what it finds it cannot do with a record.
struct Backend
{
    DesktopEffects effects;
    std::function<QStringList(const WinProps &)> notApplied;
};
Q_DECLARE_METATYPE(Backend)

namespace {

Backend x11Backend(const QString &name)
{
    const DesktopTraits desktop = desktopNamed(name);
    return { x11Effects(desktop, name), [desktop](const WinProps &record) {
                return decide(&record, true, LastingProps(), desktop).notApplied;
            } };
}

// A record that sets this property alone.
WinProps settingOnly(const WinPropsField &field)
{
    WinProps record;
    record.setWinName(QStringLiteral("one"));
    switch (field.kind) {
    case WinPropsKind::Switch:
        field.setValue(record, true);
        break;
    case WinPropsKind::Image:
        field.setValue(record, QStringLiteral("xterm"));
        break;
    case WinPropsKind::Geometry:
        field.setValue(record, QStringLiteral("300x200+10+20"));
        break;
    case WinPropsKind::Number:
        field.setValue(record, 40u);
        break;
    }
    return record;
}

} // namespace

// A property a backend forgets is neither applied nor said to have no effect: it fails here. And
// what each declares is what it does with a record that sets that property alone.
void TestApplyDecision::everyBackendSaysWhatEachPropertyDoes_data()
{
    QTest::addColumn<Backend>("backend");
    const QStringList desktops
        = measuredWindowManagers() + QStringList { "composited", "unmeasured", "no pager", "none" };
    for (const QString &name : desktops)
        QTest::newRow(qPrintable(QStringLiteral("X11: ") + name)) << x11Backend(name);
    QTest::newRow("KWin") << Backend { kwinEffects(QStringLiteral("KWin")), [](const WinProps &r) {
                                          return kwinRuleOf(r, QRect(0, 0, 800, 600)).notApplied;
                                      } };
    QTest::newRow("GNOME Shell") << Backend { gnomeEffects(QStringLiteral("GNOME Shell")),
                                              [](const WinProps &r) {
                                                  return gnomeEffects(QString()).noEffectIn(r);
                                              } };
    QTest::newRow("sway") << Backend { swayEffects(QStringLiteral("sway")), [](const WinProps &r) {
                                          return swayDecision(r).notApplied;
                                      } };
}

void TestApplyDecision::everyBackendSaysWhatEachPropertyDoes()
{
    QFETCH(Backend, backend);
    QCOMPARE(backend.effects.unknownKeys(), QStringList());
    for (const WinPropsField &field : winPropsFields()) {
        const PropertyEffect effect = backend.effects.of(field);
        const bool said = backend.notApplied(settingOnly(field)).contains(field.key());
        // A note may say that it takes effect only with another property: alone, it has none.
        const bool onlyWithAnother = effect.note.startsWith(QLatin1String("only together with"));
        QVERIFY2(said == (effect.effect == Effect::NoEffect || onlyWithAnother),
                 qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(field.name), effect.note)));
    }
}

QTEST_GUILESS_MAIN(TestApplyDecision)
#include "tst_applydecision.moc"
