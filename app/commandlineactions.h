// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_COMMANDLINEACTIONS_H
#define KIVO_COMMANDLINEACTIONS_H

#include "platform/winprops/recordlines.h"

#include <QStringList>
#include <optional>

class QCommandLineParser;
class WinPropsBackend;
class WinPropsWorkingCopy;
class WinPropsDialog;
struct CommandLineOptions;

// Exit statuses of the tool beyond 0 and the second start's 1.
enum ExitStatus {
    InvalidCommandLineValue = 2,
    ServiceFailure = 3,
    NameNotStored = 4,
    NoDisplay = 5,
    FileFailure = 6,
};

// What the command line asks of the dialog: every delete, every add, the import and the edit,
// always in that order.
class CommandLineActions
{
public:
    // undecodable: arguments that were not text in the system's encoding (undecodableArguments).
    CommandLineActions(const QCommandLineParser &parser, const CommandLineOptions &options,
                       const QStringList &undecodable = {});

    // Values that cannot be acted on, one message each; empty when all are usable. With
    // --quiet, stray arguments are among them.
    QStringList problems() const;
    // Arguments that belong to no option; a warning each when the dialog is shown.
    QStringList strayArguments() const { return m_strays; }

    // Acts on the stored records without any widget or question, then stores the result in one
    // call when anything changed; returns the exit status.
    int runQuietly(WinPropsBackend &backend) const;
    // Shows the dialog and hands it the actions; the user saves.
    void runInteractively(WinPropsDialog &dialog) const;

    // Writes one line to standard error, after the program's name.
    static void report(const QString &message);

private:
    bool isUndecodable(const QString &value) const;
    // Why nothing of --import was taken; null when it was.
    QString importProblem() const;
    bool applyTo(WinPropsWorkingCopy &records, QStringList &settingNothing) const;
    QStringList namesActedOn() const;
    void reportNoEffect(WinPropsBackend &backend, const WinPropsWorkingCopy &stored) const;
    static void reportSettingNothing(const WinPropsList &before, const QStringList &names);
    void reportStrays() const;

    bool m_quiet;
    QStringList m_deleteNames;
    QStringList m_addRecords;
    std::optional<QString> m_editName;
    std::optional<QString> m_importPath;
    // Read when the actions are made: standard input can be read only once.
    RecordLinesRead m_imported;
    QString m_importError;
    QStringList m_strays;
    QStringList m_undecodable;
};

#endif
