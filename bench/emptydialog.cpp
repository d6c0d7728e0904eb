// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// bench-empty-dialog: the floor of the tool's start-up on the widgets' side. Starts the
// application as the tool does and builds the same dialog on a service that is not there, so
// that it holds no record; then ends as the tool does with --quiet.
#include "apprcinterface.h"
#include "kivoui.h"
#include "qtsingleapplication.h"
#include "winpropsdialog.h"
#include "winpropsservice.h"

#include <QCommandLineParser>
#include <QDBusConnection>
#include <QIcon>

#include <cstdio>

int main(int argc, char *argv[])
{
    QtSingleApplication app(argc, argv, true);
    kivoInit(KIVO_VERSION, "kivo-admin-winprops");
    if (app.isRunning())
        return 1;
    registerWinPropsTypes();
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("preferences-system-windows"), QIcon()));
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);

    // Nobody owns this name: the fetch fails at once and the dialog starts empty.
    ApprcInterface apprc(WinPropsService::busName() + QStringLiteral("-absent"),
                         WinPropsService::objectPath(), QDBusConnection::sessionBus());
    WinPropsDialog dialog(&apprc);
    app.setActivationWindow(&dialog, true);
    dialog.quiet = true;
    if (!dialog.isServiceUnread() || dialog.winListWidget->rowCount() != 0) {
        std::fputs("bench-empty-dialog: the dialog was not empty\n", stderr);
        return 1;
    }
    return 0;
}
