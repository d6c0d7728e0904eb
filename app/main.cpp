// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "apprcinterface.h"
#include "commandline.h"
#include "commandlineactions.h"
#include "kivoui.h"
#include "qtsingleapplication.h"
#include "winpropsdialog.h"
#include "winpropsservice.h"

#include <QCommandLineParser>
#include <QDBusConnection>
#include <QIcon>

int main(int argc, char *argv[])
{
    QtSingleApplication app(argc, argv, true);
    kivoInit("1.1.3-2", "kivo-admin-winprops");

    // A second start only brings the running instance to the front.
    if (app.isRunning()) {
        app.sendMessage(QStringLiteral("raise"), 5000);
        return 1;
    }

    registerWinPropsTypes();
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("preferences-system-windows"), QIcon()));

    QCommandLineParser parser;
    const CommandLineOptions options;
    options.addTo(parser);
    parser.process(app);

    ApprcInterface apprc(WinPropsService::busName(), WinPropsService::objectPath(),
                         QDBusConnection::sessionBus());

    WinPropsDialog dialog(&apprc);
    app.setActivationWindow(&dialog, true);

    const CommandLineActions actions(parser, options);
    dialog.quiet = actions.isQuiet();
    if (actions.isQuiet())
        return actions.runQuietly(dialog);

    actions.runInteractively(dialog);
    const int status = app.exec();
    return actions.problems().isEmpty() ? status : InvalidCommandLineValue;
}
