// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/commandlineactions.h"

#include "app/commandline.h"
#include "app/listingactions.h"
#include "dialog/winpropsdialog.h"
#include "platform/winprops/winprops.h"
#include "service/winpropsbackend.h"
#include "session/winpropssession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSet>

#include <algorithm>
#include <cstdio>

namespace {
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
                                       const CommandLineOptions &options,
                                       const QStringList &undecodable)
    : m_quiet(parser.isSet(options.quietOption))
    , m_deleteNames(parser.values(options.deleteOption))
    , m_addRecords(parser.values(options.addOption))
    , m_editName(optionValue(parser, options.editOption))
    , m_importPath(optionValue(parser, options.importOption))
    , m_strays(parser.positionalArguments())
    , m_undecodable(undecodable)
{
    QByteArray contents;
    if (m_importPath && m_importPath->isEmpty())
        m_importError = QCoreApplication::translate("CommandLineActions",
                                                    "the file name given to --import is empty");
    else if (m_importPath && readInputFile(*m_importPath, contents, m_importError))
        m_imported = readRecordLines(contents);
}

QStringList CommandLineActions::problems() const
{
    QStringList found;
    for (const QString &name : m_deleteNames) {
        if (name.isEmpty())
            found.append(tr("the window name given to --delete is empty"));
        else if (isUndecodable(name))
            found.append(
                tr("the window name \"%1\" given to --delete is not valid text").arg(name));
    }
    for (const QString &text : m_addRecords) {
        const WinProps record(text);
        if (isUndecodable(text))
            found.append(tr("the window record \"%1\" is not valid text").arg(text));
        else if (!record.isValid())
            found.append(tr("invalid window record \"%1\": %2").arg(text, record.errorString()));
    }
    if (!importProblem().isNull())
        found.append(importProblem());
    if (m_editName && m_editName->isEmpty() && !m_quiet)
        found.append(tr("the window name given to --edit is empty"));
    else if (m_editName && isUndecodable(*m_editName) && !m_quiet)
        found.append(
            tr("the window name \"%1\" given to --edit is not valid text").arg(*m_editName));
    // A forgotten ";" in an --add record leaves its tail as an argument of its own.
    if (m_quiet) {
        for (const QString &stray : m_strays)
            found.append(tr("unexpected argument \"%1\"").arg(stray));
    }
    return found;
}

QString CommandLineActions::importProblem() const
{
    if (!m_importError.isNull())
        return m_importError;
    if (m_imported.badLine > 0)
        return tr("%1, line %2: %3")
            .arg(*m_importPath)
            .arg(m_imported.badLine)
            .arg(m_imported.error);
    return QString();
}

// Bytes that do not decode were turned into replacement characters, so that two different
// names could become one.
bool CommandLineActions::isUndecodable(const QString &value) const
{
    if (!value.contains(QChar::ReplacementCharacter))
        return false;
    // The value is the whole argument or follows "--option=".
    return std::any_of(m_undecodable.cbegin(), m_undecodable.cend(),
                       [&value](const QString &argument) {
                           return argument == value || argument.endsWith(QLatin1Char('=') + value);
                       });
}

void CommandLineActions::reportStrays() const
{
    for (const QString &stray : m_strays)
        report(tr("ignoring the argument \"%1\", which belongs to no option").arg(stray));
}

int CommandLineActions::runQuietly(WinPropsBackend &backend) const
{
    const QStringList faults = problems();
    for (const QString &fault : faults)
        report(fault);
    if (!faults.isEmpty())
        return InvalidCommandLineValue;
    if (m_deleteNames.isEmpty() && m_addRecords.isEmpty() && !m_importPath)
        return 0;
    // Storing after a failed read would replace a collection nobody has seen.
    WinPropsSession session(backend);
    if (!session.fetch(namesActedOn())) {
        report(tr("the window properties could not be read from the service: %1")
                   .arg(session.errorMessage()));
        return ServiceFailure;
    }
    const WinPropsList read = session.baseline();
    QStringList removedSettingNothing;
    if (!applyTo(session.workingCopy(), removedSettingNothing))
        return 0;
    // Another client may store between the read and the store: what it stored is then joined
    // with these changes, which win for the entries they name.
    if (session.store() == WinPropsSession::Outcome::Stored) {
        reportSettingNothing(read, removedSettingNothing);
        reportNoEffect(backend, session.workingCopy());
        return 0;
    }
    report(tr("the window properties could not be stored: %1").arg(session.errorMessage()));
    return ServiceFailure;
}

// Only the entries of these names are read, where the service allows it.
QStringList CommandLineActions::namesActedOn() const
{
    QStringList names = m_deleteNames;
    for (const QString &text : m_addRecords)
        names.append(WinProps(text).winName());
    for (const WinProps &props : m_imported.records)
        names.append(props.winName());
    return names;
}

// Stored is not applied: what this desktop does nothing with is said, so that a script's user
// is not left wondering.
void CommandLineActions::reportNoEffect(WinPropsBackend &backend,
                                        const WinPropsWorkingCopy &stored) const
{
    WinPropsList added;
    for (const QString &text : m_addRecords)
        added.append(stored.find(WinProps(text).winName()));
    for (const WinProps &props : m_imported.records)
        added.append(stored.find(props.winName()));
    // Where nothing applies them at all (no display, --no-apply), --desktop says why; a quiet
    // run over ssh or from cron is not told each time.
    const std::optional<DesktopEffects> effects = backend.effectsHere();
    if (!effects || !effects->applies())
        return;
    QSet<QString> said;
    for (const WinProps &props : qAsConst(added)) {
        const QStringList keys = effects->noEffectIn(props);
        if (keys.isEmpty() || said.contains(props.winName()))
            continue;
        said.insert(props.winName());
        report(tr("the properties %1 of \"%2\" have no effect on this desktop (%3)")
                   .arg(keys.join(QStringLiteral(", ")), props.winName(), effects->desktop()));
    }
}

// A record that sets nothing removes the entry of its name: said plainly, since "nothing is
// stored" would read as "nothing changed".
void CommandLineActions::reportSettingNothing(const WinPropsList &before, const QStringList &names)
{
    const WinPropsWorkingCopy stored(before);
    for (const QString &name : names) {
        if (stored.contains(name))
            report(tr("the record for \"%1\" sets no property, so the stored entry of \"%1\" "
                      "was removed")
                       .arg(name));
        else
            report(tr("the record for \"%1\" sets no property, so nothing is stored for \"%1\"")
                       .arg(name));
    }
}

// Deletes, then adds and imports. Of the records added, those that set nothing are dropped, as
// a save from the dialog would, and named in settingNothing; records of other names stay as they
// were, even those that set nothing. False when nothing changed.
bool CommandLineActions::applyTo(WinPropsWorkingCopy &records, QStringList &settingNothing) const
{
    bool removed = false;
    for (const QString &name : m_deleteNames)
        removed = records.remove(name) || removed;
    WinPropsList added;
    for (const QString &text : m_addRecords)
        added.append(WinProps(text));
    added += m_imported.records;
    if (!removed && added.isEmpty())
        return false;
    for (const WinProps &props : qAsConst(added))
        records.store(props);
    for (const WinProps &props : qAsConst(added)) {
        if (records.find(props.winName()).isNull() && !settingNothing.contains(props.winName()))
            settingNothing.append(props.winName());
    }
    records.removeAll(settingNothing);
    return true;
}

void CommandLineActions::runInteractively(WinPropsDialog &dialog) const
{
    for (const QString &fault : problems())
        report(fault);
    reportStrays();
    dialog.show();
    for (const QString &name : m_deleteNames) {
        if (!isUndecodable(name))
            dialog.deleteWinPropByName(name);
    }
    for (const QString &record : m_addRecords) {
        if (!isUndecodable(record))
            dialog.addWinPropFromRecord(record);
    }
    dialog.importWinProps(m_imported.records);
    if (!importProblem().isNull())
        dialog.explainImportProblem(importProblem());
    if (m_editName && !isUndecodable(*m_editName))
        dialog.editWinPropByName(*m_editName);
}

void CommandLineActions::report(const QString &message)
{
    const QString line = QCoreApplication::applicationName() + QLatin1String(": ")
        + asOneLine(message) + QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
}
