// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_COMMANDLINE_H
#define KIVO_COMMANDLINE_H

#include <QCommandLineOption>

#include <optional>

class QCommandLineParser;

// What a command line asks for, as far as starting the program is concerned.
enum class Launch {
    // The dialog, which needs a display.
    Dialog,
    // Changes stored without the dialog; one instance at a time.
    QuietChanges,
    // Help, version or a command line that is refused; one instance at a time.
    Report,
    // Only printing or exporting what is stored; any number at once.
    Listing,
};

// The tool's own options. Their descriptions are translated when they are created, so create
// them after kivoInit has installed the translations.
struct CommandLineOptions
{
    CommandLineOptions();

    // Adds the standard help and version options, then add, delete, edit, quiet and the
    // listing and transfer options.
    void addTo(QCommandLineParser &parser) const;
    // How to start for these arguments (the program name first); needs no application object.
    Launch launchFor(const QStringList &arguments) const;
    // The line that ends --help.
    static QString helpFooter();

    bool isListing(const QCommandLineParser &parser) const;
    // Whether options that change entries or open the dialog on one are given.
    bool hasActions(const QCommandLineParser &parser) const;

    QCommandLineOption addOption;
    QCommandLineOption deleteOption;
    QCommandLineOption editOption;
    QCommandLineOption quietOption;
    QCommandLineOption listOption;
    QCommandLineOption showOption;
    QCommandLineOption exportOption;
    QCommandLineOption importOption;
    QCommandLineOption desktopOption;
};

// The option's value, or nothing when it is not given.
std::optional<QString> optionValue(const QCommandLineParser &parser,
                                   const QCommandLineOption &option);

// The arguments whose bytes are not text in the system's encoding, as they were decoded (with
// replacement characters). argv as the application left it.
QStringList undecodableArguments(int argc, char **argv);

#endif
