// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_COMMANDLINEACTIONS_H
#define KIVO_COMMANDLINEACTIONS_H

#include "recordlines.h"

#include <QStringList>
#include <optional>

class QCommandLineParser;
class WinPropsBackend;
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

// What the command line asks of the dialog: delete, add, import and edit, always in that order.
class CommandLineActions
{
public:
    CommandLineActions(const QCommandLineParser &parser, const CommandLineOptions &options);

    bool isQuiet() const { return quiet; }
    // Values that cannot be acted on, one message each; empty when all are usable.
    QStringList problems() const;

    // Acts on the stored records without any widget or question, then stores the result in one
    // call when anything changed; returns the exit status.
    int runQuietly(WinPropsBackend &backend) const;
    // Shows the dialog and hands it the actions; the user saves.
    void runInteractively(WinPropsDialog &dialog) const;

    // Writes one line to standard error, after the program's name.
    static void report(const QString &message);

private:
    bool quiet;
    std::optional<QString> deleteName;
    std::optional<QString> addRecord;
    std::optional<QString> editName;
    std::optional<QString> importPath;
    // Read when the actions are made: standard input can be read only once.
    RecordLinesRead imported;
    QString importError;
};

#endif
