// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "editor/winpropswidget.h"
#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/winprops.h"
#include "platform/winprops/winpropsfields.h"
#include "tests/common/testenvironment.h"
#include "tests/common/testrecords.h"
#include "tests/platform/winprops/propertysamples.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFile>
#include <QWheelEvent>

#include <memory>

namespace {

QString everything()
{
    QString text = QStringLiteral("w");
    for (const WinPropsField &field : winPropsFields())
        text += QLatin1Char(';') + settingOf(field, plainValue(field));
    return text;
}

} // namespace

class TestWinPropsWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_widget = std::make_unique<WinPropsWidget>();
        m_changed = std::make_unique<QSignalSpy>(m_widget.get(),
                                                 qOverload<bool>(&WinPropsWidget::changed));
    }

    void loadingReportsNothing()
    {
        m_widget->setWinProps(recordOf(everything()));
        QVERIFY(m_widget->shadowSpinBox->isEnabled());
        QCOMPARE(m_widget->shadowSlider->value(), 40);
        QVERIFY(m_widget->findChild<QCheckBox *>(QStringLiteral("geometryCB"))->isChecked());
        m_widget->setWinProps(WinProps());
        QVERIFY(!m_widget->no_titleCB->isChecked());
        QCOMPARE(m_changed->count(), 0);
    }

    // What the desktop does is told on the controls, and through them to a screen reader; they
    // stay usable.
    void desktopEffectsAreTold_data()
    {
        QTest::addColumn<bool>("known");
        QTest::addColumn<bool>("applies");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("ctrlbtnTip");
        QTest::addColumn<QString>("titleTip");
        QTest::newRow("Openbox") << true << true << "Applied by Openbox"
                                 << "No effect on this desktop (Openbox)"
                                 << "also removes the border here";
        QTest::newRow("nothing applies")
            << true << false
            << "This desktop does not apply window properties; they are kept for desktops that do."
            << ""
            << "";
        QTest::newRow("a service that does not tell") << false << false << ""
                                                      << ""
                                                      << "";
    }

    void desktopEffectsAreTold()
    {
        QFETCH(bool, known);
        QFETCH(bool, applies);
        QFETCH(QString, line);
        DesktopEffects effects = applies ? DesktopEffects(QStringLiteral("Openbox"))
                                         : DesktopEffects::nothingApplies(QStringLiteral("none"));
        effects.set(fieldOf(&WinProps::no_ctrlbtn), Effect::NoEffect);
        effects.set(fieldOf(&WinProps::no_title), Effect::Applied,
                    QStringLiteral("also removes the border here"));
        effects.setRest(Effect::Applied);
        // A desktop told before is forgotten.
        m_widget->setDesktopEffects(&effects);
        m_widget->setDesktopEffects(known ? &effects : nullptr);
        QCOMPARE(m_widget->desktopLabel->isVisibleTo(m_widget.get()), known);
        if (known)
            QCOMPARE(m_widget->desktopLabel->text(), line);
        const auto description = [](QWidget *widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
        };
        QTEST(description(m_widget->no_ctrlbtnCB), "ctrlbtnTip");
        QTEST(description(m_widget->no_titleCB), "titleTip");
        QCOMPARE(description(m_widget->ontopCB), QString());
        QCOMPARE(m_widget->no_ctrlbtnCB->icon().isNull(), !(known && applies));
        QVERIFY(m_widget->ontopCB->icon().isNull());
        QVERIFY(m_widget->no_ctrlbtnCB->isEnabled());
    }

    // At a small size, a control reached by the keyboard below the fold is scrolled into view.
    void controlsReachedByKeyAreScrolledIntoView_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("small image") << "small_imageCB";
        QTest::newRow("transparency") << "transparencyCB";
    }

    void controlsReachedByKeyAreScrolledIntoView()
    {
        QFETCH(QString, control);
        m_widget->resize(420, 220);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
        auto *reached = m_widget->findChild<QCheckBox *>(control);
        QVERIFY(reached->visibleRegion().isEmpty());
        reached->setFocus(Qt::ShortcutFocusReason);
        QTRY_VERIFY(!reached->visibleRegion().isEmpty());
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("text");
        const QString full = everything();
        QTest::newRow("empty over everything") << full << "w";
        QTest::newRow("everything over empty") << "w" << full;
        for (const WinPropsField &field : winPropsFields())
            QTest::newRow(field.name)
                << full << QStringLiteral("w;") + settingOf(field, plainValue(field));
        QTest::newRow("small image") << full << "w;small_image=/tmp/missing.png";
        QTest::newRow("large image") << full << "w;large_image=no-such-icon";
        QTest::newRow("geometry from bottom") << full << "w;geometry=640x480+-5-20";
        QTest::newRow("shadow 7") << full << "w;shadow=7";
        QTest::newRow("transparency 99") << full << "w;transparency=99";
    }

    // Loading over a different record shows that every member is both shown and read back.
    void roundTrip()
    {
        QFETCH(QString, before);
        QFETCH(QString, text);
        const WinProps expected = recordOf(text);
        m_widget->setWinProps(recordOf(before));
        m_widget->setWinProps(expected);
        const WinProps built = m_widget->winProps(QStringLiteral("w"));
        QVERIFY2(built == expected, qPrintable(built.toString()));
        QCOMPARE(m_widget->winProps(QStringLiteral("other")).winName(), QStringLiteral("other"));
        QCOMPARE(m_changed->count(), 0);
    }

    void percent_data()
    {
        QTest::addColumn<bool>("transparency");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("shown");
        QTest::addColumn<quint32>("readBack");
        for (const bool transparency : { false, true }) {
            const char *name = transparency ? "transparency" : "shadow";
            QTest::addRow("%s 0", name) << transparency << 0u << true << 0 << 0u;
            QTest::addRow("%s 100", name) << transparency << 100u << true << 100 << 100u;
            // Not set: the spin box keeps the 42 of the record before.
            QTest::addRow("%s 101", name)
                << transparency << 101u << false << 42 << WinProps::NotSet;
            QTest::addRow("%s -1", name)
                << transparency << WinProps::NotSet << false << 42 << WinProps::NotSet;
        }
    }

    void percent()
    {
        QFETCH(bool, transparency);
        QFETCH(quint32, value);
        QFETCH(bool, checked);
        QFETCH(int, shown);
        QFETCH(quint32, readBack);
        QCheckBox *checkBox = transparency ? m_widget->transparencyCB : m_widget->shadowCB;
        QSpinBox *spinBox = transparency ? m_widget->transparencySpinBox : m_widget->shadowSpinBox;
        QSlider *slider = transparency ? m_widget->transparencySlider : m_widget->shadowSlider;
        WinProps props;
        quint32 &member = transparency ? props.transparency : props.shadow;
        member = 42;
        m_widget->setWinProps(props);
        member = value;
        m_widget->setWinProps(props);

        QCOMPARE(checkBox->isChecked(), checked);
        QCOMPARE(spinBox->isEnabled(), checked);
        QCOMPARE(slider->isEnabled(), checked);
        QCOMPARE(spinBox->value(), shown);
        QCOMPARE(slider->value(), shown);
        const WinProps built = m_widget->winProps(QStringLiteral("w"));
        QCOMPARE(transparency ? built.transparency : built.shadow, readBack);
        QCOMPARE(m_changed->count(), 0);
    }

    void switchingPercentOffAndOnKeepsValue()
    {
        m_widget->setWinProps(recordOf(QStringLiteral("w;shadow=33")));
        m_widget->shadowCB->setChecked(false);
        QCOMPARE(m_widget->winProps(QStringLiteral("w")).shadow, WinProps::NotSet);
        m_widget->shadowCB->setChecked(true);
        QCOMPARE(m_widget->winProps(QStringLiteral("w")).shadow, 33u);
    }

    void imagePath()
    {
        const QString path = QStringLiteral("/usr/share/pixmaps/some app.png");
        WinProps props;
        props.small_image = path;
        m_widget->setWinProps(props);
        QVERIFY(m_widget->small_imageCB->isChecked());
        QVERIFY(m_widget->small_imageButton->isEnabled());
        QVERIFY(!m_widget->large_imageCB->isChecked());
        QVERIFY(!m_widget->large_imageButton->isEnabled());
        QCOMPARE(m_widget->small_imageButton->iconNamePath(), path);

        m_widget->small_imageCB->setChecked(false);
        QVERIFY(!m_widget->small_imageButton->isEnabled());
        QVERIFY(m_widget->winProps(QStringLiteral("w")).small_image.isEmpty());
        m_widget->small_imageCB->setChecked(true);
        QCOMPARE(m_widget->winProps(QStringLiteral("w")).small_image, path);
    }

    void checkedImageWithoutIconLoadsUnchecked()
    {
        m_widget->large_imageCB->setChecked(true);
        const WinProps built = m_widget->winProps(QStringLiteral("w"));
        QVERIFY(built.large_image.isEmpty());
        m_widget->setWinProps(built);
        QVERIFY(!m_widget->large_imageCB->isChecked());
    }

    void valueControlsReportChange_data()
    {
        QTest::addColumn<bool>("transparency");
        QTest::addColumn<bool>("useSlider");
        QTest::newRow("shadow slider") << false << true;
        QTest::newRow("shadow spin box") << false << false;
        QTest::newRow("transparency slider") << true << true;
        QTest::newRow("transparency spin box") << true << false;
    }

    void valueControlsReportChange()
    {
        QFETCH(bool, transparency);
        QFETCH(bool, useSlider);
        m_widget->setWinProps(recordOf(QStringLiteral("w;shadow=10;transparency=10")));
        QSpinBox *spinBox = transparency ? m_widget->transparencySpinBox : m_widget->shadowSpinBox;
        QSlider *slider = transparency ? m_widget->transparencySlider : m_widget->shadowSlider;
        if (useSlider)
            slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
        else
            spinBox->stepUp();
        const int expected = useSlider ? 10 + slider->pageStep() : 11;
        QCOMPARE(spinBox->value(), expected);
        QCOMPARE(slider->value(), expected);
        QCOMPARE(m_changed->count(), 1);
        QCOMPARE(m_changed->first().first().toBool(), true);
        const WinProps built = m_widget->winProps(QStringLiteral("w"));
        QCOMPARE(transparency ? built.transparency : built.shadow, quint32(expected));
    }

    void checkBoxesReportChange_data()
    {
        QTest::addColumn<QString>("name");
        const WinPropsWidget widget;
        const QList<QCheckBox *> checkBoxes = widget.findChildren<QCheckBox *>();
        // One a property, the geometry's inside its own editor.
        const int geometryCheckBoxes = GeometryWidget().findChildren<QCheckBox *>().size();
        QCOMPARE(geometryCheckBoxes, 4);
        QCOMPARE(checkBoxes.size(), int(winPropsFields().size()) - 1 + geometryCheckBoxes);
        for (const QCheckBox *checkBox : checkBoxes)
            QTest::newRow(qPrintable(checkBox->objectName())) << checkBox->objectName();
    }

    void checkBoxesReportChange()
    {
        QFETCH(QString, name);
        m_widget->setWinProps(recordOf(QStringLiteral("w;geometry=640x480+0+0")));
        auto *checkBox = m_widget->findChild<QCheckBox *>(name);
        QVERIFY(checkBox);
        QVERIFY(checkBox->isEnabled());
        checkBox->click();
        QVERIFY(m_changed->count() >= 1);
        for (const QList<QVariant> &arguments : qAsConst(*m_changed))
            QCOMPARE(arguments.first().toBool(), true);
    }

    void everyPropertyHasItsControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("controls");
        for (const WinPropsField &field : winPropsFields()) {
            const QString name = QLatin1String(field.name);
            QStringList controls = { "QCheckBox:" + name + "CB" };
            if (field.kind == WinPropsKind::Image)
                controls.append("KivoIconButton:" + name + "Button");
            else if (field.kind == WinPropsKind::Number)
                controls.append("QSpinBox:" + name + "SpinBox");
            else if (field.kind == WinPropsKind::Geometry)
                controls = QStringList { "GeometryWidget:" + name + "Widget" };
            QTest::newRow(field.name) << name << controls;
        }
    }

    // The controls are there, and Help has a place to show for each of them.
    void everyPropertyHasItsControls()
    {
        QFETCH(QStringList, controls);
        QFile help(QStringLiteral(KIVO_SOURCE_DIR "/platform/kivoui/help/manual.html"));
        QVERIFY(help.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(help.readAll());
        for (const QString &control : qAsConst(controls)) {
            const QString className = control.section(QLatin1Char(':'), 0, 0);
            const QString objectName = control.section(QLatin1Char(':'), 1);
            const QWidget *widget = m_widget->findChild<QWidget *>(objectName);
            QVERIFY2(widget, qPrintable(objectName));
            QVERIFY2(widget->inherits(qPrintable(className)), qPrintable(objectName));
            QVERIFY2(manual.contains(QStringLiteral("<a name=\"%1\">").arg(objectName)),
                     qPrintable(objectName));
        }
    }

    void wheelChangesOnlyTheFocusedValue_data()
    {
        QTest::addColumn<QString>("control");
        for (const char *name : { "widthSB", "heightSB", "xSB", "shadowSpinBox", "shadowSlider",
                                  "transparencySlider" })
            QTest::newRow(name) << name;
    }

    // Turned over a value the user has not chosen, the wheel is left to the page to scroll.
    void wheelChangesOnlyTheFocusedValue()
    {
        QFETCH(QString, control);
        m_widget->setWinProps(recordOf(QStringLiteral("w;geometry=640x480+0+0;shadow=40;"
                                                      "transparency=40")));
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowActive(m_widget.get()));
        auto *widget = m_widget->findChild<QWidget *>(control);
        QVERIFY(widget);
        QCOMPARE(widget->focusPolicy(), Qt::StrongFocus);
        const WinProps before = m_widget->winProps(QStringLiteral("w"));
        for (const bool focused : { false, true }) {
            if (focused)
                widget->setFocus();
            QWheelEvent wheel(QPointF(5, 5), QPointF(widget->mapToGlobal(QPoint(5, 5))), QPoint(),
                              QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(widget, &wheel);
            QCOMPARE(wheel.isAccepted(), focused);
            QCOMPARE(m_widget->winProps(QStringLiteral("w")) != before, focused);
        }
    }

    void geometryGroupReportsChange()
    {
        m_widget->findChild<QCheckBox *>(QStringLiteral("geometryCB"))->setChecked(true);
        QVERIFY(!m_changed->isEmpty());
        QCOMPARE(m_widget->winProps(QStringLiteral("w")).geometry, QStringLiteral("640x480+0+0"));
    }

private:
    std::unique_ptr<WinPropsWidget> m_widget;
    std::unique_ptr<QSignalSpy> m_changed;
};

KIVO_TEST_MAIN_WITHOUT_BUS(TestWinPropsWidget)
#include "tst_winpropswidget.moc"
