// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "commandline.h"

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
{
}

void CommandLineOptions::addTo(QCommandLineParser &parser) const
{
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(addOption);
    parser.addOption(deleteOption);
    parser.addOption(editOption);
    parser.addOption(quietOption);
}
