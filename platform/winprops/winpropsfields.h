// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSFIELDS_H
#define KIVO_WINPROPSFIELDS_H

#include "platform/winprops/winprops.h"

#include <QVariant>

#include <vector>

// What a property holds, which decides how it is written, compared and edited.
enum class WinPropsKind {
    Switch, // on or off
    Image, // an icon name or an image path; empty for none
    Number, // 0 to WinProps::MaxPercent; anything above is not set
    Geometry, // a geometry string; empty for none
};

// One property of WinProps. Its name is both the member's name and its key in the record text;
// the editor's controls are named after it.
struct WinPropsField
{
    const char *name;
    WinPropsKind kind;
    bool WinProps::*flag;
    QString WinProps::*text;
    quint32 WinProps::*number;
    // A switch's 0 or 1, a number's value; images and geometry start empty.
    quint32 byDefault;

    QLatin1String key() const { return QLatin1String(name); }
    // Whether the record sets the property: a switch that is on, a text that is not empty, a
    // number in range.
    bool isSet(const WinProps &props) const;
    void reset(WinProps &props) const;
    // Whether two records hold the same value; values that are not set agree, whatever marks
    // them so.
    bool agree(const WinProps &a, const WinProps &b) const;
    // The member as a bool, QString or quint32.
    QVariant value(const WinProps &props) const;
    void setValue(WinProps &props, const QVariant &value) const;
    // The member's type in the D-Bus struct.
    char dbusType() const;

    // Calls f with the member itself: a bool, QString or quint32, const when props is.
    template<typename Props, typename Function> void visit(Props &props, Function &&f) const
    {
        switch (kind) {
        case WinPropsKind::Switch:
            f(props.*flag);
            break;
        case WinPropsKind::Image:
        case WinPropsKind::Geometry:
            f(props.*text);
            break;
        case WinPropsKind::Number:
            f(props.*number);
            break;
        }
    }
};

// Every property, in member order: the order of the record text and of the D-Bus struct.
const std::vector<WinPropsField> &winPropsFields();

// The field of a member.
const WinPropsField &fieldOf(bool WinProps::*flag);
const WinPropsField &fieldOf(QString WinProps::*text);
const WinPropsField &fieldOf(quint32 WinProps::*number);

#endif
