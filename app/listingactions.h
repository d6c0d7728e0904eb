// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_LISTINGACTIONS_H
#define KIVO_LISTINGACTIONS_H

#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/winprops.h"

#include <QString>
#include <QStringList>

#include <optional>

class ApprcInterface;
class QCommandLineParser;
struct CommandLineOptions;

// --list, --show and --export: what the service stores, as record lines.
class ListingActions
{
public:
    ListingActions(const QCommandLineParser &parser, const CommandLineOptions &options);

    bool isRequested() const { return m_list || m_showName || m_exportPath || m_desktop; }
    // Prints or writes what was asked, in the order list, show, export, desktop; returns the exit
    // status.
    int run(ApprcInterface &apprc) const;

private:
    int listRecords(ApprcInterface &apprc) const;
    int printDesktop(ApprcInterface &apprc) const;

    bool m_list;
    bool m_desktop;
    std::optional<QString> m_showName;
    std::optional<QString> m_exportPath;
};

// What --desktop prints: "Desktop: NAME", then "KEY: applied" or "KEY: no effect" for every
// property, a note in parentheses after it where there is one.
QString desktopLines(const DesktopEffects &effects);

// What a listing writes of the records: each that --import reads back as it is, the first of a
// name only (as everywhere, the first of a name wins); leftOut gets a line for each other one.
WinPropsList listableRecords(const WinPropsList &records, QStringList &leftOut);

// Reads a whole file, or standard input for "-"; false with a message for the user on failure.
bool readInputFile(const QString &path, QByteArray &contents, QString &errorMessage);

#endif
