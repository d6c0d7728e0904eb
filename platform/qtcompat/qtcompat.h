// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The few places where Qt 5.15 and Qt 6 differ in what this project uses, so that the rest of the
// code reads the same for both.

#include <QByteArray>
#include <QDBusMetaType>
#include <QMetaType>
#include <QtGlobal>

namespace QtCompat {

// The D-Bus signature of a registered type: Qt 6 takes the QMetaType, Qt 5 its id.
template<typename T> QByteArray dbusSignature()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QDBusMetaType::typeToSignature(QMetaType::fromType<T>());
#else
    return QDBusMetaType::typeToSignature(qMetaTypeId<T>());
#endif
}

} // namespace QtCompat
