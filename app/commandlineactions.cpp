// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "commandlineactions.h"

#include "commandline.h"
#include "listingactions.h"
#include "winprops.h"
#include "winpropsbackend.h"
#include "winpropsdialog.h"
#include "winpropsworkingcopy.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {
std::optional<QString> valueOf(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return std::nullopt;
    return parser.value(option);
}

QString tr(const char *text)
{
    return QCoreApplication::translate("CommandLineActions", text);
}

// Messages quote the command line and the service's errors: neither may break the line or send
// control sequences to the terminal.
QString asOneLine(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return text;
}
} // namespace

CommandLineActions::CommandLineActions(const QCommandLineParser &parser,
                                       const CommandLineOptions &options)
    : quiet(parser.isSet(options.quietOption))
    , deleteName(valueOf(parser, options.deleteOption))
    , addRecord(valueOf(parser, options.addOption))
    , editName(valueOf(parser, options.editOption))
    , importPath(valueOf(parser, options.importOption))
{
    QByteArray contents;
    if (importPath && readInputFile(*importPath, contents, importError))
        imported = readRecordLines(contents);
}

QStringList CommandLineActions::problems() const
{
    QStringList found;
    if (deleteName && deleteName->isEmpty())
        found.append(tr("the window name given to --delete is empty"));
    if (addRecord) {
        const WinProps record(*addRecord);
        if (!record.isValid())
            found.append(
                tr("invalid window record \"%1\": %2").arg(*addRecord, record.errorString()));
    }
    if (!importError.isNull())
        found.append(importError);
    if (imported.badLine > 0)
        found.append(
            tr("%1, line %2: %3").arg(*importPath).arg(imported.badLine).arg(imported.error));
    if (editName && editName->isEmpty() && !quiet)
        found.append(tr("the window name given to --edit is empty"));
    return found;
}

int CommandLineActions::runQuietly(WinPropsBackend &backend) const
{
    const QStringList faults = problems();
    for (const QString &fault : faults)
        report(fault);
    if (!faults.isEmpty())
        return InvalidCommandLineValue;
    if (!deleteName && !addRecord && !importPath)
        return 0;
    // Storing after a failed read would replace a collection nobody has seen.
    const WinPropsBackend::Fetched fetched = backend.fetchAll();
    if (!fetched.ok) {
        report(tr("the window properties could not be read from the service: %1")
                   .arg(fetched.errorMessage));
        return ServiceFailure;
    }
    WinPropsWorkingCopy records(fetched.records);
    const bool removed = deleteName && records.remove(*deleteName);
    WinPropsList added = imported.records;
    if (addRecord)
        added.prepend(WinProps(*addRecord));
    for (const WinProps &props : qAsConst(added))
        records.store(props);
    if (!removed && added.isEmpty())
        return 0;
    // As a save from the dialog: records that set nothing are not kept.
    records.eraseNulls();
    const WinPropsBackend::Stored stored = backend.storeAll(records.records());
    if (!stored.ok) {
        report(tr("the window properties could not be stored: %1").arg(stored.errorMessage));
        return ServiceFailure;
    }
    return 0;
}

void CommandLineActions::runInteractively(WinPropsDialog &dialog) const
{
    for (const QString &fault : problems())
        report(fault);
    dialog.show();
    if (deleteName)
        dialog.deleteWinPropByName(*deleteName);
    if (addRecord)
        dialog.addWinPropFromRecord(*addRecord);
    dialog.importWinProps(imported.records);
    if (editName)
        dialog.editWinPropByName(*editName);
}

void CommandLineActions::report(const QString &message)
{
    const QString line = QCoreApplication::applicationName() + QLatin1String(": ")
        + asOneLine(message) + QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
}
