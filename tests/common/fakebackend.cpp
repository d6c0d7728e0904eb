// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "fakebackend.h"

FakeBackend::FakeBackend(const QStringList &storedRecords)
{
    for (const QString &text : storedRecords) {
        const WinProps props(text);
        if (!props.isValid())
            qFatal("not a record: %s", qPrintable(text));
        stored.append(props);
    }
}

WinPropsBackend::Fetched FakeBackend::fetchAll()
{
    if (!fetchError.isNull())
        return { false, {}, fetchError };
    return { true, stored, QString() };
}

WinPropsBackend::Stored FakeBackend::storeAll(const WinPropsList &records)
{
    ++stores;
    if (!storeError.isNull())
        return { false, storeError };
    stored = records;
    return { true, QString() };
}

QStringList FakeBackend::storedTexts() const
{
    QStringList texts;
    for (const WinProps &props : stored)
        texts.append(props.toString());
    return texts;
}
