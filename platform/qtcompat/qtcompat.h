// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The few places where Qt 5.15 and Qt 6 differ in what this project uses, so that the rest of the
// code reads the same for both.

#include <QByteArray>
#include <QDBusMetaType>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

#include <optional>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringDecoder>
#else
#include <QTextCodec>
#endif

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

// The bytes as text, or nothing when they are not valid UTF-8 (Qt 6 has no QTextCodec in Core).
inline std::optional<QString> strictUtf8(const QByteArray &bytes)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
#else
    QTextCodec::ConverterState state;
    const QString text
        = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars > 0)
        return std::nullopt;
#endif
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace QtCompat
