// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "session/winpropssession.h"

#include <QHash>
#include <QSet>

#include <utility>
#include <vector>

namespace {
struct ChangeSet
{
    WinPropsList changed;
    QStringList removed;
};

// What turns base into edited when the removed names are taken out and the changed records put in
// place or after the others; none where that would not give edited exactly: a name given twice,
// or records that moved. A record removed and stored again is both removed and changed, since it
// moved after the others.
std::optional<ChangeSet> changeSetBetween(const WinPropsList &base,
                                          const WinPropsWorkingCopy &workingCopy)
{
    const WinPropsList &edited = workingCopy.records();
    QHash<QString, int> baseIndex;
    baseIndex.reserve(base.size());
    for (int i = 0; i < base.size(); ++i) {
        if (baseIndex.contains(base.at(i).winName()))
            return std::nullopt;
        baseIndex.insert(base.at(i).winName(), i);
    }
    ChangeSet changes;
    std::vector<bool> kept(base.size(), false);
    QSet<QString> added;
    int lastKept = -1;
    for (const WinProps &props : edited) {
        const int at
            = workingCopy.wasRemoved(props.winName()) ? -1 : baseIndex.value(props.winName(), -1);
        if (at < 0) {
            if (added.contains(props.winName()))
                return std::nullopt;
            added.insert(props.winName());
            changes.changed.append(props);
            continue;
        }
        if (!added.isEmpty() || at <= lastKept)
            return std::nullopt;
        lastKept = at;
        kept[at] = true;
        if (base.at(at) != props)
            changes.changed.append(props);
    }
    for (int i = 0; i < base.size(); ++i) {
        if (!kept[i])
            changes.removed.append(base.at(i).winName());
    }
    return changes;
}
} // namespace

WinPropsSession::WinPropsSession(WinPropsBackend &service, ConflictQuestion question)
    : m_service(service)
    , m_question(std::move(question))
{
}

bool WinPropsSession::fetch()
{
    m_partNames.reset();
    return take(m_service.fetchAll());
}

bool WinPropsSession::fetch(const QStringList &names)
{
    std::optional<WinPropsBackend::Fetched> part = m_service.fetchNamed(names);
    if (!part)
        return fetch();
    m_partNames = names;
    return take(std::move(*part));
}

bool WinPropsSession::take(WinPropsBackend::Fetched fetched)
{
    m_errorMessage = fetched.errorMessage;
    m_basis.reset();
    if (fetched.ok)
        m_basis = std::move(fetched);
    reset();
    return isRead();
}

const WinPropsList &WinPropsSession::baseline() const
{
    static const WinPropsList unread;
    return m_basis ? m_basis->records : unread;
}

WinPropsSession::Outcome WinPropsSession::store()
{
    constexpr int maxAttempts = 5;
    WinPropsBackend::Stored stored;
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const WinPropsList records = m_workingCopy.records();
        if (m_basis && records == m_basis->records) {
            m_errorMessage = QString();
            return Outcome::Stored;
        }
        const std::optional<WinPropsBackend::Stored> sent = send(records);
        if (sent && sent->ok) {
            m_basis = WinPropsBackend::Fetched { true, records, sent->generation, QString() };
            m_errorMessage = QString();
            return Outcome::Stored;
        }
        if (sent)
            stored = *sent;
        if (sent && !sent->changedElsewhere)
            break;
        // A part read can only be stored as changes; otherwise the whole is read and joined.
        if (!sent)
            m_partNames.reset();
        // A failed read leaves the baseline as it was: the next store is refused again.
        const WinPropsBackend::Fetched theirs = readAgain();
        if (!theirs.ok)
            return failed(theirs.errorMessage);
        if (!joinChangesMadeElsewhere(theirs))
            return Outcome::Cancelled;
    }
    return failed(stored.errorMessage);
}

std::optional<WinPropsBackend::Stored> WinPropsSession::send(const WinPropsList &records)
{
    if (m_basis) {
        if (const std::optional<ChangeSet> changes
            = changeSetBetween(m_basis->records, m_workingCopy)) {
            if (std::optional<WinPropsBackend::Stored> stored
                = m_service.storeChanges(changes->changed, changes->removed, *m_basis))
                return stored;
        }
    }
    if (m_partNames)
        return std::nullopt;
    return m_service.storeAll(records, m_basis ? &*m_basis : nullptr);
}

WinPropsBackend::Fetched WinPropsSession::readAgain()
{
    if (m_partNames) {
        if (std::optional<WinPropsBackend::Fetched> part = m_service.fetchNamed(*m_partNames))
            return *part;
        m_partNames.reset();
    }
    return m_service.fetchAll();
}

WinPropsSession::Outcome WinPropsSession::failed(const QString &message)
{
    m_errorMessage = message;
    return Outcome::Failed;
}

// Entries changed only elsewhere are taken as they are now, those changed only here stay as
// edited, and for those changed in both places the question decides. False when it is cancelled.
bool WinPropsSession::joinChangesMadeElsewhere(const WinPropsBackend::Fetched &theirs)
{
    const WinPropsList &mine = m_workingCopy.records();
    QStringList conflicts;
    WinPropsList merged
        = mergeChanges(baseline(), mine, theirs.records, ConflictChoice::KeepMine, &conflicts);
    if (!conflicts.isEmpty() && m_question) {
        const std::optional<ConflictChoice> choice = m_question(conflicts);
        if (!choice)
            return false;
        if (*choice == ConflictChoice::KeepTheirs)
            merged = mergeChanges(baseline(), mine, theirs.records, *choice);
    }
    m_basis = theirs;
    m_workingCopy = WinPropsWorkingCopy(merged);
    return true;
}
