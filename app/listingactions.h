// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_LISTINGACTIONS_H
#define KIVO_LISTINGACTIONS_H

#include <QString>

#include <optional>

class ApprcInterface;
class QCommandLineParser;
struct CommandLineOptions;

// --list, --show and --export: what the service stores, as record lines.
class ListingActions
{
public:
    ListingActions(const QCommandLineParser &parser, const CommandLineOptions &options);

    bool isRequested() const { return list || showName || exportPath; }
    // Prints or writes what was asked, in the order list, show, export; returns the exit status.
    int run(ApprcInterface &apprc) const;

private:
    bool list;
    std::optional<QString> showName;
    std::optional<QString> exportPath;
};

// Reads a whole file, or standard input for "-"; false with a message for the user on failure.
bool readInputFile(const QString &path, QByteArray &contents, QString &errorMessage);

#endif
