// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "editor/winpropswidget.h"

#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/winprops.h"
#include "platform/winprops/winpropsfields.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>

namespace {

// Unsigned on purpose: any value above the range, -1 included, means "not set".
void showPercent(quint32 value, QCheckBox *checkBox, QSpinBox *spinBox)
{
    if (value > WinProps::MaxPercent) {
        checkBox->setChecked(false);
        return;
    }
    checkBox->setChecked(true);
    spinBox->setValue(static_cast<int>(value));
}

quint32 percentOf(const QCheckBox *checkBox, const QSpinBox *spinBox)
{
    return checkBox->isChecked() ? static_cast<quint32>(spinBox->value()) : WinProps::NotSet;
}

void showImage(const QString &image, QCheckBox *checkBox, KivoIconButton *button)
{
    checkBox->setChecked(!image.isEmpty());
    button->setIconNamePath(image, nullptr);
}

} // namespace

WinPropsWidget::WinPropsWidget(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
    findPropertyControls();
    // Let the tab page show through, as on the second tab.
    scrollArea->viewport()->setAutoFillBackground(false);
    scrollAreaWidgetContents->setAutoFillBackground(false);
    connectCheckBoxes();
    sizeIconButtons();
    scrollArea->setMinimumWidth(scrollAreaWidgetContents->sizeHint().width()
                                + scrollArea->verticalScrollBar()->sizeHint().width()
                                + small_imageButton->width());
    connectValueControls();
    keepWheelForScrolling();
    // A control reached by its mnemonic or by Tab is scrolled into view, so that what the key
    // did can be seen.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && scrollAreaWidgetContents->isAncestorOf(now))
            scrollArea->ensureWidgetVisible(now);
    });
}

void WinPropsWidget::setDesktopEffects(const DesktopEffects *effects)
{
    desktopLabel->setVisible(effects);
    if (effects)
        desktopLabel->setText(effects->applies()
                                  ? tr("Applied by %1").arg(effects->desktop())
                                  : tr("This desktop does not apply window properties; they are "
                                       "kept for desktops that do."));
    for (const PropertyControls &controls : m_propertyControls)
        showEffect(controls, effects && effects->applies() ? effects : nullptr);
}

// On the control that turns the property on: a check box, or the geometry's.
void WinPropsWidget::showEffect(const PropertyControls &controls, const DesktopEffects *effects)
{
    QWidget *control
        = controls.checkBox ? static_cast<QWidget *>(controls.checkBox) : controls.geometryWidget;
    if (!control)
        return;
    QCheckBox *marked
        = controls.checkBox ? controls.checkBox : controls.geometryWidget->findChild<QCheckBox *>();
    const PropertyEffect effect = effects ? effects->of(*controls.field) : PropertyEffect();
    QStringList tip;
    if (effect.effect == Effect::NoEffect)
        tip.append(tr("No effect on this desktop (%1)").arg(effects->desktop()));
    if (effect.effect != Effect::Unknown && !effect.note.isEmpty())
        tip.append(effect.note);
    control->setToolTip(tip.join(QLatin1String(": ")));
    if (marked)
        marked->setIcon(effect.effect == Effect::NoEffect
                            ? style()->standardIcon(QStyle::SP_MessageBoxInformation)
                            : QIcon());
}

// The Appearance tab scrolls: a wheel turned over a value the user has not chosen to edit
// scrolls the page, and changes nothing.
void WinPropsWidget::keepWheelForScrolling()
{
    const QList<QWidget *> descendants = findChildren<QWidget *>();
    for (QWidget *widget : descendants) {
        if (qobject_cast<QAbstractSpinBox *>(widget) || qobject_cast<QSlider *>(widget)) {
            widget->setFocusPolicy(Qt::StrongFocus);
            widget->installEventFilter(this);
        }
    }
}

bool WinPropsWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && !static_cast<QWidget *>(watched)->hasFocus()) {
        // Ignored, it goes on to the scroll area.
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void WinPropsWidget::findPropertyControls()
{
    for (const WinPropsField &field : winPropsFields()) {
        const QString name = QLatin1String(field.name);
        PropertyControls controls { &field };
        bool found = false;
        switch (field.kind) {
        case WinPropsKind::Switch:
            controls.checkBox = findChild<QCheckBox *>(name + QLatin1String("CB"));
            found = controls.checkBox;
            break;
        case WinPropsKind::Image:
            controls.checkBox = findChild<QCheckBox *>(name + QLatin1String("CB"));
            controls.imageButton = findChild<KivoIconButton *>(name + QLatin1String("Button"));
            found = controls.checkBox && controls.imageButton;
            break;
        case WinPropsKind::Number:
            controls.checkBox = findChild<QCheckBox *>(name + QLatin1String("CB"));
            controls.spinBox = findChild<QSpinBox *>(name + QLatin1String("SpinBox"));
            found = controls.checkBox && controls.spinBox;
            break;
        case WinPropsKind::Geometry:
            controls.geometryWidget = findChild<GeometryWidget *>(name + QLatin1String("Widget"));
            found = controls.geometryWidget;
            break;
        }
        if (found)
            m_propertyControls.push_back(controls);
        else
            qWarning("WinPropsWidget: the form has no controls for the property %s", field.name);
    }
}

void WinPropsWidget::connectCheckBoxes()
{
    const QList<QCheckBox *> checkBoxes = findChildren<QCheckBox *>();
    for (QCheckBox *checkBox : checkBoxes)
        connect(checkBox, &QCheckBox::toggled, this, qOverload<>(&WinPropsWidget::changed));
}

void WinPropsWidget::sizeIconButtons()
{
    small_imageButton->setDefaultIconSize(16);
    large_imageButton->setDefaultIconSize(32);
    for (const PropertyControls &controls : m_propertyControls) {
        if (controls.imageButton) {
            controls.imageButton->setIconSize(QSize(32, 32));
            controls.imageButton->setFixedSize(40, 40);
        }
    }
}

void WinPropsWidget::connectValueControls()
{
    const auto changedSlot = qOverload<>(&WinPropsWidget::changed);
    for (const PropertyControls &controls : m_propertyControls) {
        if (controls.spinBox)
            connect(controls.spinBox, qOverload<int>(&QSpinBox::valueChanged), this, changedSlot);
        if (controls.imageButton)
            connect(controls.imageButton, &KivoIconButton::iconChanged, this, changedSlot);
        if (controls.geometryWidget)
            connect(controls.geometryWidget, &GeometryWidget::changed, this, changedSlot);
    }
}

void WinPropsWidget::setWinProps(const WinProps &props)
{
    const QSignalBlocker blocker(this);
    for (const PropertyControls &controls : m_propertyControls)
        showProperty(controls, props);
}

WinProps WinPropsWidget::winProps(const QString &winName) const
{
    WinProps props;
    props.setWinName(winName);
    for (const PropertyControls &controls : m_propertyControls)
        readProperty(controls, props);
    return props;
}

void WinPropsWidget::showProperty(const PropertyControls &controls, const WinProps &props)
{
    const WinPropsField &field = *controls.field;
    switch (field.kind) {
    case WinPropsKind::Switch:
        controls.checkBox->setChecked(props.*field.flag);
        break;
    case WinPropsKind::Image:
        showImage(props.*field.text, controls.checkBox, controls.imageButton);
        break;
    case WinPropsKind::Number:
        showPercent(props.*field.number, controls.checkBox, controls.spinBox);
        break;
    case WinPropsKind::Geometry:
        controls.geometryWidget->setGeometryString(props.*field.text);
        break;
    }
}

void WinPropsWidget::readProperty(const PropertyControls &controls, WinProps &props)
{
    const WinPropsField &field = *controls.field;
    switch (field.kind) {
    case WinPropsKind::Switch:
        props.*field.flag = controls.checkBox->isChecked();
        break;
    case WinPropsKind::Image:
        if (controls.checkBox->isChecked())
            props.*field.text = controls.imageButton->iconNamePath();
        break;
    case WinPropsKind::Number:
        props.*field.number = percentOf(controls.checkBox, controls.spinBox);
        break;
    case WinPropsKind::Geometry:
        props.*field.text = controls.geometryWidget->geometryString();
        break;
    }
}

void WinPropsWidget::changed()
{
    Q_EMIT changed(true);
}
