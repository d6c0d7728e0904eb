// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "editor/geometrywidget.h"

#include "platform/winprops/geometrystring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalBlocker>

GeometryWidget::GeometryWidget(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
    // Disabled only now: a control created inside a disabled parent is announced to screen
    // readers before it is whole, and stays known to them as a plain widget.
    groupBox->setEnabled(geometryCB->isChecked());
    connect(centerOfScreenCB, &QCheckBox::toggled, this, &GeometryWidget::setCenterCoords);
    const QList<QWidget *> descendants = findChildren<QWidget *>();
    for (QWidget *widget : descendants) {
        if (auto *checkBox = qobject_cast<QCheckBox *>(widget))
            connect(checkBox, &QCheckBox::toggled, this, &GeometryWidget::changed);
        else if (auto *spinBox = qobject_cast<QSpinBox *>(widget))
            connect(spinBox, qOverload<int>(&QSpinBox::valueChanged), this,
                    &GeometryWidget::changed);
    }
    connect(widthSB, qOverload<int>(&QSpinBox::valueChanged), this,
            &GeometryWidget::recalcCenterCoords);
    connect(heightSB, qOverload<int>(&QSpinBox::valueChanged), this,
            &GeometryWidget::recalcCenterCoords);
}

void GeometryWidget::setGeometryString(const QString &geometry)
{
    const std::optional<GeometrySpec> parsed = parseGeometryString(geometry);
    if (!parsed) {
        geometryCB->setChecked(false);
        return;
    }
    geometryCB->setChecked(true);
    widthSB->setValue(parsed->width);
    heightSB->setValue(parsed->height);
    fromRightEdgeCB->setChecked(parsed->fromRightEdge);
    xSB->setValue(parsed->x);
    fromBottomEdgeCB->setChecked(parsed->fromBottomEdge);
    ySB->setValue(parsed->y);
    centerOfScreenCB->setChecked(false);
}

QString GeometryWidget::geometryString() const
{
    if (!geometryCB->isChecked())
        return QString();
    GeometrySpec shown;
    shown.width = widthSB->value();
    shown.height = heightSB->value();
    shown.fromRightEdge = fromRightEdgeCB->isChecked();
    shown.x = xSB->value();
    shown.fromBottomEdge = fromBottomEdgeCB->isChecked();
    shown.y = ySB->value();
    return geometryStringOf(shown);
}

void GeometryWidget::setCenterCoords(bool enable)
{
    if (!enable)
        return;
    replaceZeroSize();
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Centres a width x height rectangle the way QRect::moveCenter does.
    const QRect area = screen->availableGeometry();
    const int x = (area.left() + area.right()) / 2 - (widthSB->value() - 1) / 2;
    const int y = (area.top() + area.bottom()) / 2 - (heightSB->value() - 1) / 2;
    xSB->setValue(x);
    ySB->setValue(y);
}

void GeometryWidget::recalcCenterCoords()
{
    setCenterCoords(centerOfScreenCB->isChecked());
}

// A window of no width or height cannot be centred; the replacement is not a user change.
void GeometryWidget::replaceZeroSize()
{
    const QSignalBlocker widthBlocker(widthSB);
    const QSignalBlocker heightBlocker(heightSB);
    if (widthSB->value() == 0 && heightSB->value() == 0) {
        widthSB->setValue(640);
        heightSB->setValue(480);
    } else if (widthSB->value() == 0) {
        widthSB->setValue(100);
    } else if (heightSB->value() == 0) {
        heightSB->setValue(100);
    }
}
