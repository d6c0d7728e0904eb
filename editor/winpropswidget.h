// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSWIDGET_H
#define KIVO_WINPROPSWIDGET_H

#include "editor/ui_winpropswidget.h"

#include <QWidget>

#include <vector>

class DesktopEffects;
class WinProps;
struct WinPropsField;

// Shows and edits one window-properties record; knows nothing of names, lists or the service.
// Each property of winPropsFields() has controls named after it: the check box "<name>CB", and
// an image's KivoIconButton "<name>Button", a number's QSpinBox "<name>SpinBox", the geometry's
// GeometryWidget "<name>Widget".
class WinPropsWidget : public QWidget, public Ui::WinPropsWidget
{
    Q_OBJECT

public:
    explicit WinPropsWidget(QWidget *parent = nullptr);

    // Shows a record without reporting it as a change.
    void setWinProps(const WinProps &props);
    // A new record named winName, built from the controls.
    WinProps winProps(const QString &winName) const;
    // Says who applies the properties here and marks the controls of those that have no effect
    // (they stay usable: a record may be meant for another desktop). Null: nothing is known,
    // and nothing is shown.
    void setDesktopEffects(const DesktopEffects *effects);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    // The user changed a control; always true.
    void changed(bool changed);

private Q_SLOTS:
    void changed();

private:
    // The controls of one property; only those of its kind are set.
    struct PropertyControls
    {
        const WinPropsField *field;
        QCheckBox *checkBox = nullptr;
        KivoIconButton *imageButton = nullptr;
        QSpinBox *spinBox = nullptr;
        GeometryWidget *geometryWidget = nullptr;
    };

    void findPropertyControls();
    void connectCheckBoxes();
    void sizeIconButtons();
    void connectValueControls();
    void keepWheelForScrolling();
    void showEffect(const PropertyControls &controls, const DesktopEffects *effects);
    static void showProperty(const PropertyControls &controls, const WinProps &props);
    static void readProperty(const PropertyControls &controls, WinProps &props);

    std::vector<PropertyControls> m_propertyControls;
};

#endif
