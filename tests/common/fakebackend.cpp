// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/common/fakebackend.h"

#include "tests/common/testrecords.h"

#include <algorithm>
#include <utility>

FakeBackend::FakeBackend(const QStringList &storedRecords)
    : stored(recordsOf(storedRecords))
{
}

void FakeBackend::storeElsewhere(const QStringList &records)
{
    stored = recordsOf(records);
    ++generation;
}

WinPropsBackend::Fetched FakeBackend::fetchAll()
{
    if (!fetchError.isNull())
        return { false, {}, std::nullopt, fetchError };
    return { true, stored, hasGenerations ? std::optional(generation) : std::nullopt, QString() };
}

WinPropsBackend::Stored FakeBackend::storeAll(const WinPropsList &records, const Fetched *basis)
{
    ++stores;
    if (beforeNextStore)
        std::exchange(beforeNextStore, nullptr)();
    if (!storeError.isNull())
        return { false, storeError, false, std::nullopt };
    const bool changed = basis
        && (basis->generation ? *basis->generation != generation : basis->records != stored);
    if (changed)
        return { false, QStringLiteral("Changed elsewhere."), true, std::nullopt };
    stored = records;
    ++generation;
    return { true, QString(), false, hasGenerations ? std::optional(generation) : std::nullopt };
}

std::optional<WinPropsBackend::Fetched> FakeBackend::fetchNamed(const QStringList &names)
{
    if (!readsApart || !storesChanges || !hasGenerations)
        return std::nullopt;
    ++partReads;
    Fetched part = fetchAll();
    part.records.clear();
    for (const WinProps &props : qAsConst(stored)) {
        if (part.ok && names.contains(props.winName()))
            part.records.append(props);
    }
    return part;
}

std::optional<WinPropsBackend::Stored> FakeBackend::storeChanges(const WinPropsList &changed,
                                                                 const QStringList &removed,
                                                                 const Fetched &basis)
{
    if (!storesChanges || !hasGenerations)
        return std::nullopt;
    ++changeStores;
    sentChanges = textsOf(changed);
    for (const QString &name : removed)
        sentChanges.append(QLatin1Char('-') + name);
    WinPropsList records;
    for (const WinProps &props : qAsConst(stored)) {
        if (!removed.contains(props.winName()))
            records.append(props);
    }
    for (const WinProps &props : changed) {
        const auto same = [&props](const WinProps &r) { return r.winName() == props.winName(); };
        const auto found = std::find_if(records.begin(), records.end(), same);
        if (found != records.end())
            *found = props;
        else
            records.append(props);
    }
    return storeAll(records, &basis);
}

QStringList FakeBackend::storedTexts() const
{
    return textsOf(stored);
}
