// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSWORKINGCOPY_H
#define KIVO_WINPROPSWORKINGCOPY_H

#include "platform/winprops/winprops.h"

#include <QHash>
#include <QSet>
#include <QStringList>

// The records the dialog edits, in the service's order, with records added in the dialog at the
// end. A name is looked up exactly, letter case counting; where a name occurs twice, the first
// record of it is the one found. Nothing else can change the list, so its name index is kept
// right here and never outlives a change.
class WinPropsWorkingCopy
{
public:
    WinPropsWorkingCopy() = default;
    explicit WinPropsWorkingCopy(WinPropsList records);

    const WinPropsList &records() const { return m_records; }
    bool isEmpty() const { return m_records.isEmpty(); }
    QStringList names() const;
    bool contains(const QString &name) const { return indexOf(name) >= 0; }
    // The first record of that name, or a record without name that sets nothing.
    WinProps find(const QString &name) const;

    // Replaces the first record of the same name in place, or appends the record.
    void store(const WinProps &props);
    // Gives the first record of oldName the new name; false when there is none.
    bool rename(const QString &oldName, const QString &newName);
    // Removes the first record of that name; false when there is none.
    bool remove(const QString &name);
    // Whether remove took a record of that name: one stored again since stands after the others.
    bool wasRemoved(const QString &name) const { return m_removed.contains(name); }
    // The names of the records that set nothing, in order.
    QStringList nullNames() const;
    // Removes every record of a name that nullNames lists.
    void eraseNulls();
    // Removes every record of these names.
    void removeAll(const QStringList &names);

private:
    int indexOf(const QString &name) const;
    // For every change that moves records or changes names: the index is rebuilt when next needed.
    WinPropsList &reshape();

    WinPropsList m_records;
    mutable QHash<QString, int> m_index;
    mutable bool m_indexBuilt = false;
    QSet<QString> m_removed;
};

// kept, with the members in which edited differs from loaded taken from edited: a control the
// user did not touch leaves its member as it was, even one the control cannot show. The name
// stays kept's.
WinProps withEdits(WinProps kept, const WinProps &loaded, const WinProps &edited);

// How a record changed both here and elsewhere, differently, is settled.
enum class ConflictChoice { KeepMine, KeepTheirs };

// Joins the changes made here (base to mine) with those made elsewhere (base to theirs), name by
// name: a record changed on one side only takes that side; one changed on both sides, and not
// alike, is settled by choice and its name listed in conflicts. Records come in theirs' order,
// those that only mine has after them in mine's order.
WinPropsList mergeChanges(const WinPropsList &base, const WinPropsList &mine,
                          const WinPropsList &theirs, ConflictChoice choice,
                          QStringList *conflicts = nullptr);

#endif
