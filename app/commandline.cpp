// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

CommandLineOptions::CommandLineOptions()
    : addOption(
        QStringLiteral("add"),
        QCoreApplication::translate("QObject", "Add properties for window defined by <win record>"),
        QCoreApplication::translate("QObject", "win record"))
    , deleteOption(
          QStringLiteral("delete"),
          QCoreApplication::translate("QObject", "Delete properties for window <win name>"),
          QCoreApplication::translate("QObject", "win name"))
    , editOption(QStringLiteral("edit"),
                 QCoreApplication::translate("QObject", "Edit properties for window <win name>"),
                 QCoreApplication::translate("QObject", "win name"))
    , quietOption(QStringLiteral("quiet"),
                  QCoreApplication::translate("QObject", "Don't ask questions"))
    , listOption(
          QStringLiteral("list"),
          QCoreApplication::translate(
              "QObject", "Print the properties of every window as window records, one per line"))
    , showOption(QStringLiteral("show"),
                 QCoreApplication::translate(
                     "QObject", "Print the properties of window <win name> as a window record"),
                 QCoreApplication::translate("QObject", "win name"))
    , exportOption(
          QStringLiteral("export"),
          QCoreApplication::translate(
              "QObject", "Write the properties of every window to <file> (- for standard output)"),
          QCoreApplication::translate("QObject", "file"))
    , importOption(QStringLiteral("import"),
                   QCoreApplication::translate(
                       "QObject",
                       "Add the window records of <file> (- for standard input), replacing "
                       "windows of the same name"),
                   QCoreApplication::translate("QObject", "file"))
    , desktopOption(QStringLiteral("desktop"),
                    QCoreApplication::translate(
                        "QObject",
                        "Print which desktop applies the window properties and what each "
                        "property does there"))
{
}

void CommandLineOptions::addTo(QCommandLineParser &parser) const
{
    parser.setApplicationDescription(QCoreApplication::translate(
        "QObject",
        "Edits the window properties of programs: how the desktop decorates and manages their "
        "windows."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(addOption);
    parser.addOption(deleteOption);
    parser.addOption(editOption);
    parser.addOption(quietOption);
    parser.addOption(listOption);
    parser.addOption(showOption);
    parser.addOption(exportOption);
    parser.addOption(importOption);
    parser.addOption(desktopOption);
}

Launch CommandLineOptions::launchFor(const QStringList &arguments) const
{
    QCommandLineParser parser;
    addTo(parser);
    // A command line that does not parse gets the parser's message, which needs no display.
    if (!parser.parse(arguments) || parser.isSet(QStringLiteral("help"))
        || parser.isSet(QStringLiteral("version")))
        return Launch::Report;
    if (isListing(parser) && !hasActions(parser))
        return Launch::Listing;
    if (parser.isSet(quietOption))
        return Launch::QuietChanges;
    // Listings with actions but without --quiet are refused.
    return isListing(parser) ? Launch::Report : Launch::Dialog;
}

QString CommandLineOptions::helpFooter()
{
    return QCoreApplication::translate(
        "QObject",
        "See kivo-admin-winprops(1) for the window record syntax and the exit statuses.");
}

bool CommandLineOptions::isListing(const QCommandLineParser &parser) const
{
    return parser.isSet(listOption) || parser.isSet(showOption) || parser.isSet(exportOption)
        || parser.isSet(desktopOption);
}

bool CommandLineOptions::hasActions(const QCommandLineParser &parser) const
{
    return parser.isSet(addOption) || parser.isSet(deleteOption) || parser.isSet(importOption)
        || parser.isSet(editOption);
}

QStringList undecodableArguments(int argc, char **argv)
{
    QStringList undecodable;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString text = QString::fromLocal8Bit(bytes);
        if (text.toLocal8Bit() != bytes)
            undecodable.append(text);
    }
    return undecodable;
}

std::optional<QString> optionValue(const QCommandLineParser &parser,
                                   const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return std::nullopt;
    return parser.value(option);
}
