// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_GEOMETRYWIDGET_H
#define KIVO_GEOMETRYWIDGET_H

#include "editor/ui_geometrywidget.h"

#include <QString>
#include <QWidget>

// Edits a window's initial geometry string: its size, and its position either as offsets from
// chosen screen edges or centred on the available area of the primary screen.
class GeometryWidget : public QWidget, private Ui::GeometryWidget
{
    Q_OBJECT

public:
    explicit GeometryWidget(QWidget *parent = nullptr);

    // Shows a geometry string; one that does not match the format unchecks "Set geometry" only.
    void setGeometryString(const QString &geometry);
    // The geometry of the controls, or a null string when no geometry is set.
    QString geometryString() const;

Q_SIGNALS:
    void changed();

private Q_SLOTS:
    void setCenterCoords(bool enable);
    void recalcCenterCoords();

private:
    void replaceZeroSize();
};

#endif
