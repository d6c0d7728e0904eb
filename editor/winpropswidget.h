// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSWIDGET_H
#define KIVO_WINPROPSWIDGET_H

#include "ui_winpropswidget.h"

#include <QWidget>

class WinProps;

// Shows and edits one window-properties record; knows nothing of names, lists or the service.
class WinPropsWidget : public QWidget, public Ui::WinPropsWidget
{
    Q_OBJECT

public:
    explicit WinPropsWidget(QWidget *parent = nullptr);

    // Shows a record without reporting it as a change.
    void setWinProps(const WinProps &props);
    // A new record named winName, built from the controls.
    WinProps winProps(const QString &winName) const;

Q_SIGNALS:
    // The user changed a control; always true.
    void changed(bool changed);

private Q_SLOTS:
    void changed();

private:
    void connectCheckBoxes();
    void sizeIconButtons();
    void connectValueControls();
};

#endif
