// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "session/winpropsworkingcopy.h"

#include "platform/winprops/winpropsfields.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace {
// Where each name first occurs.
QHash<QString, int> firstIndexByName(const WinPropsList &records)
{
    QHash<QString, int> index;
    index.reserve(records.size());
    // Backwards, so that the first record of a name is the one that stays.
    for (int i = records.size() - 1; i >= 0; --i)
        index.insert(records.at(i).winName(), i);
    return index;
}

class ByName
{
public:
    explicit ByName(const WinPropsList &records)
        : m_records(records)
        , m_index(firstIndexByName(records))
    {
    }
    const WinProps *find(const QString &name) const
    {
        const int index = m_index.value(name, -1);
        return index < 0 ? nullptr : &m_records.at(index);
    }

private:
    const WinPropsList &m_records;
    const QHash<QString, int> m_index;
};

bool same(const WinProps *a, const WinProps *b)
{
    return (!a && !b) || (a && b && *a == *b);
}
} // namespace

WinProps withEdits(WinProps kept, const WinProps &loaded, const WinProps &edited)
{
    for (const WinPropsField &field : winPropsFields()) {
        if (!field.agree(edited, loaded))
            field.setValue(kept, field.value(edited));
    }
    return kept;
}

WinPropsList mergeChanges(const WinPropsList &base, const WinPropsList &mine,
                          const WinPropsList &theirs, ConflictChoice choice, QStringList *conflicts)
{
    const ByName baseByName(base), mineByName(mine), theirsByName(theirs);
    const auto settle = [&](const QString &name) {
        const WinProps *b = baseByName.find(name);
        const WinProps *m = mineByName.find(name);
        const WinProps *t = theirsByName.find(name);
        if (same(m, b))
            return t;
        if (same(t, b) || same(m, t))
            return m;
        if (conflicts)
            conflicts->append(name);
        return choice == ConflictChoice::KeepMine ? m : t;
    };
    WinPropsList merged;
    QSet<QString> seen;
    for (const WinPropsList *side : { &theirs, &mine }) {
        for (const WinProps &props : *side) {
            if (seen.contains(props.winName()))
                continue;
            seen.insert(props.winName());
            if (const WinProps *kept = settle(props.winName()))
                merged.append(*kept);
        }
    }
    return merged;
}

WinPropsWorkingCopy::WinPropsWorkingCopy(WinPropsList records)
    : m_records(std::move(records))
{
}

QStringList WinPropsWorkingCopy::names() const
{
    QStringList names;
    names.reserve(m_records.size());
    for (const WinProps &props : m_records)
        names.append(props.winName());
    return names;
}

WinProps WinPropsWorkingCopy::find(const QString &name) const
{
    const int index = indexOf(name);
    return index < 0 ? WinProps() : m_records.at(index);
}

void WinPropsWorkingCopy::store(const WinProps &props)
{
    const int index = indexOf(props.winName());
    if (index >= 0) {
        m_records[index] = props;
        return;
    }
    // A lookup that finds nothing has built the index; appending moves no other record.
    m_index.insert(props.winName(), m_records.size());
    m_records.append(props);
}

bool WinPropsWorkingCopy::rename(const QString &oldName, const QString &newName)
{
    const int index = indexOf(oldName);
    if (index < 0)
        return false;
    reshape()[index].setWinName(newName);
    return true;
}

bool WinPropsWorkingCopy::remove(const QString &name)
{
    const int index = indexOf(name);
    if (index < 0)
        return false;
    reshape().removeAt(index);
    m_removed.insert(name);
    return true;
}

QStringList WinPropsWorkingCopy::nullNames() const
{
    QStringList names;
    for (const WinProps &props : m_records) {
        if (props.isNull())
            names.append(props.winName());
    }
    return names;
}

void WinPropsWorkingCopy::eraseNulls()
{
    removeAll(nullNames());
}

void WinPropsWorkingCopy::removeAll(const QStringList &names)
{
    if (names.isEmpty())
        return;
    const QSet<QString> erased(names.cbegin(), names.cend());
    WinPropsList &records = reshape();
    records.erase(std::remove_if(records.begin(), records.end(),
                                 [&erased](const WinProps &props) {
                                     return erased.contains(props.winName());
                                 }),
                  records.end());
}

// Moving between rows looks up two records; with many thousands of them a scan of the list each
// time makes every move slow.
int WinPropsWorkingCopy::indexOf(const QString &name) const
{
    // Opening shows the first record; the index waits for a lookup that needs it.
    if (!m_indexBuilt && !m_records.isEmpty() && m_records.first().winName() == name)
        return 0;
    if (!m_indexBuilt) {
        m_index = firstIndexByName(m_records);
        m_indexBuilt = true;
    }
    return m_index.value(name, -1);
}

WinPropsList &WinPropsWorkingCopy::reshape()
{
    m_index.clear();
    m_indexBuilt = false;
    return m_records;
}
