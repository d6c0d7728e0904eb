// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "winpropswidget.h"

#include "winprops.h"

#include <QScrollBar>
#include <QSignalBlocker>

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
    // Let the tab page show through, as on the second tab.
    scrollArea->viewport()->setAutoFillBackground(false);
    scrollAreaWidgetContents->setAutoFillBackground(false);
    connectCheckBoxes();
    sizeIconButtons();
    scrollArea->setMinimumWidth(scrollAreaWidgetContents->sizeHint().width()
                                + scrollArea->verticalScrollBar()->sizeHint().width()
                                + small_imageButton->width());
    connectValueControls();
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
    for (KivoIconButton *button : { small_imageButton, large_imageButton }) {
        button->setIconSize(QSize(32, 32));
        button->setFixedSize(40, 40);
    }
}

void WinPropsWidget::connectValueControls()
{
    const auto changedSlot = qOverload<>(&WinPropsWidget::changed);
    connect(shadowSpinBox, qOverload<int>(&QSpinBox::valueChanged), this, changedSlot);
    connect(transparencySpinBox, qOverload<int>(&QSpinBox::valueChanged), this, changedSlot);
    connect(small_imageButton, &KivoIconButton::iconChanged, this, changedSlot);
    connect(large_imageButton, &KivoIconButton::iconChanged, this, changedSlot);
    connect(geometryWidget, &GeometryWidget::changed, this, changedSlot);
}

void WinPropsWidget::setWinProps(const WinProps &props)
{
    const QSignalBlocker blocker(this);
    stickyCB->setChecked(props.sticky);
    no_focusCB->setChecked(props.no_focus);
    no_titleCB->setChecked(props.no_title);
    no_borderCB->setChecked(props.no_border);
    no_border_edgeCB->setChecked(props.no_border_edge);
    no_ctrlbtnCB->setChecked(props.no_ctrlbtn);
    no_button1CB->setChecked(props.no_button1);
    no_button2CB->setChecked(props.no_button2);
    no_button3CB->setChecked(props.no_button3);
    no_tbuttonCB->setChecked(props.no_tbutton);
    no_pagerCB->setChecked(props.no_pager);
    showImage(props.small_image, small_imageCB, small_imageButton);
    showImage(props.large_image, large_imageCB, large_imageButton);
    close_soonCB->setChecked(props.close_soon);
    ontopCB->setChecked(props.ontop);
    onbottomCB->setChecked(props.onbottom);
    init_maximizeCB->setChecked(props.init_maximize);
    init_minimizeCB->setChecked(props.init_minimize);
    focus_on_clickCB->setChecked(props.focus_on_click);
    geometryWidget->setGeometryString(props.geometry);
    showPercent(props.shadow, shadowCB, shadowSpinBox);
    showPercent(props.transparency, transparencyCB, transparencySpinBox);
}

WinProps WinPropsWidget::winProps(const QString &winName) const
{
    WinProps props;
    props.setWinName(winName);
    props.sticky = stickyCB->isChecked();
    props.no_focus = no_focusCB->isChecked();
    props.no_title = no_titleCB->isChecked();
    props.no_border = no_borderCB->isChecked();
    props.no_border_edge = no_border_edgeCB->isChecked();
    props.no_ctrlbtn = no_ctrlbtnCB->isChecked();
    props.no_button1 = no_button1CB->isChecked();
    props.no_button2 = no_button2CB->isChecked();
    props.no_button3 = no_button3CB->isChecked();
    props.no_tbutton = no_tbuttonCB->isChecked();
    props.no_pager = no_pagerCB->isChecked();
    if (small_imageCB->isChecked())
        props.small_image = small_imageButton->iconNamePath();
    if (large_imageCB->isChecked())
        props.large_image = large_imageButton->iconNamePath();
    props.close_soon = close_soonCB->isChecked();
    props.ontop = ontopCB->isChecked();
    props.onbottom = onbottomCB->isChecked();
    props.init_maximize = init_maximizeCB->isChecked();
    props.init_minimize = init_minimizeCB->isChecked();
    props.focus_on_click = focus_on_clickCB->isChecked();
    props.geometry = geometryWidget->geometryString();
    props.shadow = percentOf(shadowCB, shadowSpinBox);
    props.transparency = percentOf(transparencyCB, transparencySpinBox);
    return props;
}

void WinPropsWidget::changed()
{
    Q_EMIT changed(true);
}
