// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_PROPERTYSAMPLES_H
#define KIVO_PROPERTYSAMPLES_H

// Values for the tests that walk the property table, one for each kind of property.

#include "platform/winprops/winpropsfields.h"

// An ordinary value that is not the property's default.
inline QVariant plainValue(const WinPropsField &field)
{
    switch (field.kind) {
    case WinPropsKind::Switch:
        return true;
    case WinPropsKind::Image:
        return QStringLiteral("utilities-terminal");
    case WinPropsKind::Geometry:
        return QStringLiteral("800x600-10+20");
    case WinPropsKind::Number:
        return 40u;
    }
    return {};
}

// A value that needs escapes in the record text or sits at a limit.
inline QVariant awkwardValue(const WinPropsField &field)
{
    switch (field.kind) {
    case WinPropsKind::Switch:
        return true;
    case WinPropsKind::Image:
        return QStringLiteral("/usr/share/a;b=c\\d.png");
    case WinPropsKind::Geometry:
        return QStringLiteral("640x480+-5-20");
    case WinPropsKind::Number:
        return WinProps::MaxPercent;
    }
    return {};
}

// The record-text piece that sets the property to a value that needs no escapes.
inline QString settingOf(const WinPropsField &field, const QVariant &value)
{
    const QString key = field.key();
    if (field.kind == WinPropsKind::Switch)
        return value.toBool() ? key : key + QStringLiteral("=0");
    return key + QLatin1Char('=') + value.toString();
}

#endif
