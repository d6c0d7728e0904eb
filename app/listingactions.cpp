// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "listingactions.h"

#include "apprcinterface.h"
#include "commandline.h"
#include "commandlineactions.h"
#include "recordlines.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cstdio>

namespace {
bool isStandardStream(const QString &path)
{
    return path == QLatin1String("-");
}

bool writeOutputFile(const QString &path, const QByteArray &contents, QString &errorMessage)
{
    if (isStandardStream(path)) {
        const bool written = std::fwrite(contents.constData(), 1, size_t(contents.size()), stdout)
                == size_t(contents.size())
            && std::fflush(stdout) == 0;
        if (!written)
            errorMessage = QCoreApplication::translate("CommandLineActions",
                                                       "standard output could not be written");
        return written;
    }
    // Written whole or not at all, so that a failed export leaves an older copy intact.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() && file.commit())
        return true;
    errorMessage = QCoreApplication::translate("CommandLineActions",
                                               "the file \"%1\" could not be written: %2")
                       .arg(path, file.errorString());
    return false;
}

} // namespace

ListingActions::ListingActions(const QCommandLineParser &parser, const CommandLineOptions &options)
    : list(parser.isSet(options.listOption))
    , showName(optionValue(parser, options.showOption))
    , exportPath(optionValue(parser, options.exportOption))
{
}

int ListingActions::run(ApprcInterface &apprc) const
{
    if (showName && showName->isEmpty()) {
        CommandLineActions::report(QCoreApplication::translate(
            "CommandLineActions", "the window name given to --show is empty"));
        return InvalidCommandLineValue;
    }
    const WinPropsBackend::Fetched fetched = apprc.readAllProperties();
    if (!fetched.ok) {
        CommandLineActions::report(
            QCoreApplication::translate(
                "CommandLineActions",
                "the window properties could not be read from the service: %1")
                .arg(fetched.errorMessage));
        return ServiceFailure;
    }
    QStringList leftOut;
    const WinPropsList records = listableRecords(fetched.records, leftOut);
    if (list || exportPath) {
        for (const QString &line : qAsConst(leftOut))
            CommandLineActions::report(line);
    }
    int status = 0;
    // Checked like an export: a listing into a full disk or a closed pipe is no success. After a
    // failed write the run has failed, and says so once.
    const auto output = [&status](const QString &path, const WinPropsList &lines) {
        QString error;
        if (status != FileFailure && !writeOutputFile(path, recordLines(lines), error)) {
            CommandLineActions::report(error);
            status = FileFailure;
        }
    };
    const QString standardOutput = QStringLiteral("-");
    if (list)
        output(standardOutput, records);
    if (showName) {
        const auto found
            = std::find_if(records.cbegin(), records.cend(),
                           [this](const WinProps &p) { return p.winName() == *showName; });
        if (found != records.cend()) {
            output(standardOutput, { *found });
        } else {
            CommandLineActions::report(
                QCoreApplication::translate("CommandLineActions",
                                            "no properties are stored for the window \"%1\"")
                    .arg(*showName));
            status = NameNotStored;
        }
    }
    if (exportPath)
        output(*exportPath, records);
    return status;
}

WinPropsList listableRecords(const WinPropsList &records, QStringList &leftOut)
{
    WinPropsList listable;
    QSet<QString> names;
    for (const WinProps &props : records) {
        const WinProps readBack(props.toString());
        if (props.winName().isEmpty())
            leftOut.append(QCoreApplication::translate(
                "CommandLineActions",
                "left out an entry without a window name, which no record line can hold"));
        else if (names.contains(props.winName()))
            leftOut.append(
                QCoreApplication::translate(
                    "CommandLineActions", "left out a second entry of \"%1\"; the first is listed")
                    .arg(props.winName()));
        else if (!readBack.isValid() || readBack != props)
            leftOut.append(QCoreApplication::translate(
                               "CommandLineActions",
                               "left out the entry of \"%1\", whose values no record line can hold")
                               .arg(props.winName()));
        else {
            names.insert(props.winName());
            listable.append(props);
        }
    }
    return listable;
}

bool readInputFile(const QString &path, QByteArray &contents, QString &errorMessage)
{
    QFile file(isStandardStream(path) ? QString() : path);
    const bool opened = isStandardStream(path) ? file.open(stdin, QIODevice::ReadOnly)
                                               : file.open(QIODevice::ReadOnly);
    if (opened) {
        contents = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    errorMessage
        = QCoreApplication::translate("CommandLineActions", "the file \"%1\" could not be read: %2")
              .arg(path, file.errorString());
    return false;
}
