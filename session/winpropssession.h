// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSSESSION_H
#define KIVO_WINPROPSSESSION_H

#include "service/winpropsbackend.h"
#include "session/winpropsworkingcopy.h"

#include <functional>
#include <optional>

// One editing of the service's collection, without any widget: the collection as read (the
// baseline), the working copy made from it, and the store of the working copy, made only on the
// baseline. When others stored meanwhile, their collection is read again and joined with the
// changes made here, name by name, and the store tried again; the baseline moves on only to a
// collection stored from here, or one the changes made here were joined with. Where the service
// can, only the changes are sent; where there are none, nothing is.
class WinPropsSession
{
public:
    // How the names changed both here and elsewhere, differently, are settled; none cancels.
    using ConflictQuestion = std::function<std::optional<ConflictChoice>(const QStringList &names)>;

    enum class Outcome { Stored, Failed, Cancelled };

    // The service must outlive the session. Without a question, the changes made here win.
    explicit WinPropsSession(WinPropsBackend &service, ConflictQuestion question = {});

    // Reads the collection: it becomes the baseline and the working copy. When it cannot be
    // read, both are empty and the next store replaces whatever the service holds.
    bool fetch();
    // Reads only the records of these names, where the service can read them apart and store
    // only changes; the session then never sends the whole collection. Else as fetch().
    bool fetch(const QStringList &names);
    // Whether the baseline is the service's collection: read, or stored from here.
    bool isRead() const { return m_basis.has_value(); }
    // The message of the last failed fetch or store.
    QString errorMessage() const { return m_errorMessage; }

    const WinPropsList &baseline() const;
    WinPropsWorkingCopy &workingCopy() { return m_workingCopy; }
    const WinPropsWorkingCopy &workingCopy() const { return m_workingCopy; }
    // The working copy returns to the baseline.
    void reset() { m_workingCopy = WinPropsWorkingCopy(baseline()); }

    // Stores the working copy; it then is the baseline. Cancelled when the question was
    // cancelled: the working copy and the baseline stay as they were, so that the next store
    // meets the same changes made elsewhere.
    Outcome store();

private:
    Outcome failed(const QString &message);
    bool take(WinPropsBackend::Fetched fetched);
    // Only the changes where the service takes them and they say it all, else the whole list;
    // none when only a part was read, which must not replace the whole.
    std::optional<WinPropsBackend::Stored> send(const WinPropsList &records);
    WinPropsBackend::Fetched readAgain();
    bool joinChangesMadeElsewhere(const WinPropsBackend::Fetched &theirs);

    WinPropsBackend &m_service;
    ConflictQuestion m_question;
    // The baseline with its generation; none while the service is unread.
    std::optional<WinPropsBackend::Fetched> m_basis;
    WinPropsWorkingCopy m_workingCopy;
    // The names read, when only their records were.
    std::optional<QStringList> m_partNames;
    QString m_errorMessage;
};

#endif
