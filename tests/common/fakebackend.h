// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_FAKEBACKEND_H
#define KIVO_FAKEBACKEND_H

#include "service/winpropsbackend.h"

#include <QStringList>

#include <functional>

// The window-properties service held in the test's process, for tests that are not about D-Bus.
// It keeps what it is given, with a generation that grows with every change (unless told to have
// none, as an older service), and fails when told to.
class FakeBackend : public WinPropsBackend
{
public:
    // Record texts, as the daemon keeps them.
    explicit FakeBackend(const QStringList &storedRecords = {});

    Fetched fetchAll() override;
    Stored storeAll(const WinPropsList &records, const Fetched *basis) override;
    // As the stand-in service does, or none when told to be a service without it.
    std::optional<Fetched> fetchNamed(const QStringList &names) override;
    std::optional<Stored> storeChanges(const WinPropsList &changed, const QStringList &removed,
                                       const Fetched &basis) override;

    bool isServiceAbsent() override { return absent; }

    // The stored records as texts.
    QStringList storedTexts() const;
    // Another client replaces the stored records: a store based on an earlier read is refused.
    void storeElsewhere(const QStringList &records);

    WinPropsList stored;
    // When not null, the next calls fail with this message and change nothing.
    QString fetchError;
    QString storeError;
    // Told as no service on the bus at all.
    bool absent = false;
    // Every store, and those of only the changes.
    int stores = 0;
    int changeStores = 0;
    // What the last store of only the changes sent: the records as texts, then "-" and a name
    // for each name removed.
    QStringList sentChanges;
    bool storesChanges = true;
    // Whether fetchNamed reads a part, and how often it did.
    bool readsApart = false;
    int partReads = 0;
    // Runs once at the next store, before it: another client storing meanwhile, say.
    std::function<void()> beforeNextStore;
    bool hasGenerations = true;
    qulonglong generation = 1;
};

#endif
