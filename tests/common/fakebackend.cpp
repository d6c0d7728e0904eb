// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "fakebackend.h"

#include "testrecords.h"

#include <utility>

FakeBackend::FakeBackend(const QStringList &storedRecords)
    : stored(recordsOf(storedRecords))
{
}

void FakeBackend::storeElsewhere(const QStringList &records)
{
    stored = recordsOf(records);
    changedElsewhere = true;
}

WinPropsBackend::Fetched FakeBackend::fetchAll()
{
    if (!fetchError.isNull())
        return { false, {}, fetchError };
    changedElsewhere = false;
    return { true, stored, QString() };
}

WinPropsBackend::Stored FakeBackend::storeAll(const WinPropsList &records)
{
    ++stores;
    if (beforeNextStore)
        std::exchange(beforeNextStore, nullptr)();
    if (!storeError.isNull())
        return { false, storeError };
    if (changedElsewhere)
        return { false, QStringLiteral("Changed elsewhere."), true };
    stored = records;
    return { true, QString() };
}

QStringList FakeBackend::storedTexts() const
{
    return textsOf(stored);
}
