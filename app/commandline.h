// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_COMMANDLINE_H
#define KIVO_COMMANDLINE_H

#include <QCommandLineOption>

class QCommandLineParser;

// The tool's own options. Their descriptions are translated when they are created, so create
// them after kivoInit has installed the translations.
struct CommandLineOptions
{
    CommandLineOptions();

    // Adds the standard help and version options, then add, delete, edit and quiet.
    void addTo(QCommandLineParser &parser) const;

    QCommandLineOption addOption;
    QCommandLineOption deleteOption;
    QCommandLineOption editOption;
    QCommandLineOption quietOption;
};

#endif
