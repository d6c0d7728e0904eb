// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/winpropssession.h"

#include <utility>

WinPropsSession::WinPropsSession(WinPropsBackend &service, ConflictQuestion question)
    : m_service(service)
    , m_question(std::move(question))
{
}

bool WinPropsSession::fetch()
{
    WinPropsBackend::Fetched fetched = m_service.fetchAll();
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
        stored = m_service.storeAll(records, m_basis ? &*m_basis : nullptr);
        if (stored.ok) {
            m_basis = WinPropsBackend::Fetched { true, records, stored.generation, QString() };
            m_errorMessage = QString();
            return Outcome::Stored;
        }
        if (!stored.changedElsewhere)
            break;
        // A failed read leaves the baseline as it was: the next store is refused again.
        const WinPropsBackend::Fetched theirs = m_service.fetchAll();
        if (!theirs.ok)
            return failed(theirs.errorMessage);
        if (!joinChangesMadeElsewhere(theirs))
            return Outcome::Cancelled;
    }
    return failed(stored.errorMessage);
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
