// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/commandline.h"
#include "app/commandlineactions.h"
#include "app/display.h"
#include "app/listingactions.h"
#include "dialog/winpropsdialog.h"
#include "platform/busconnection/busconnection.h"
#include "platform/kivoui/kivoui.h"
#include "platform/singleapplication/qtsingleapplication.h"
#include "platform/singleapplication/singleinstancepeer.h"
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"

#include <QCommandLineParser>
#include <QDBusConnection>
#include <QIcon>
#include <QMessageBox>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

// Only the dialog needs a display: help, version, the listings and quiet changes run on a
// QCoreApplication, so that they work over ssh and from cron.

namespace {
const char *const version = KIVO_VERSION;
const char *const appName = "kivo-admin-winprops";

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// The parser's standard handling, except that help ends with a line pointing to the manual and
// a command line that does not parse points to help.
// Returns the exit status when the process is to end here.
std::optional<int> processCommandLine(QCommandLineParser &parser, const QCoreApplication &app)
{
    if (!parser.parse(app.arguments())) {
        CommandLineActions::report(parser.errorText() + QLatin1Char(' ')
                                   + QCoreApplication::translate(
                                         "CommandLineActions", "Try \"%1 --help\" for the options.")
                                         .arg(QLatin1String(appName)));
        return 1;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        const QString help = parser.helpText() + CommandLineOptions::helpFooter() + '\n';
        std::fputs(help.toLocal8Bit().constData(), stdout);
        return 0;
    }
    parser.process(app);
    return std::nullopt;
}

int refuseWithoutDisplay(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    kivoInit(version, appName);
    CommandLineActions::report(QCoreApplication::translate(
        "CommandLineActions",
        "the dialog needs a display, and none was found; --help, --list, --show, --export and "
        "--quiet work without one"));
    return NoDisplay;
}

// How long a quiet run waits for a quiet run ahead of it to end.
constexpr int QuietTurnTimeoutMs = 5000;

int refuseQuietRun(const char *reason)
{
    CommandLineActions::report(QCoreApplication::translate("CommandLineActions", reason));
    return 1;
}

// Listings may run beside the dialog and each other; anything else is one instance at a time.
// Quiet changes started together by a script take turns, each on what the one before stored;
// only an open dialog makes them give up. The exit status when this process is to end here.
std::optional<int> handOver(Launch launch, std::unique_ptr<SingleInstancePeer> &peer)
{
    if (launch == Launch::Listing)
        return std::nullopt;
    peer = std::make_unique<SingleInstancePeer>(
        SingleInstancePeer::defaultId(QCoreApplication::applicationFilePath()));
    const bool quiet = launch == Launch::QuietChanges;
    if (quiet && !peer->waitForTurn(QuietTurnTimeoutMs) && peer->error().isEmpty())
        return refuseQuietRun(QT_TRANSLATE_NOOP(
            "CommandLineActions", "another quiet run did not end in time; nothing was changed"));
    if (peer->isClient()) {
        // As any second start, and then says why nothing was done.
        peer->sendMessage(QStringLiteral("raise"), 5000);
        if (quiet)
            return refuseQuietRun(QT_TRANSLATE_NOOP(
                "CommandLineActions",
                "the window properties are open in the dialog; nothing was changed"));
        return 1;
    }
    // Without a lock of its own the tool could run twice and one store undo the other.
    if (quiet && !peer->error().isEmpty()) {
        CommandLineActions::report(peer->error());
        return 1;
    }
    return std::nullopt;
}

// A call that waits for its reply would wait for ever once the bus is lost.
std::unique_ptr<EndingOnLostBus> endingWhenTheBusIsLost()
{
    const QString line = QCoreApplication::applicationName() + QLatin1String(": ")
        + QCoreApplication::translate("CommandLineActions",
                                      "the connection to the session bus was lost while waiting "
                                      "for the service (the bus drops a client whose message is "
                                      "larger than it accepts)")
        + QLatin1Char('\n');
    return std::make_unique<EndingOnLostBus>(QDBusConnection::sessionBus(), line.toLocal8Bit(),
                                             ServiceFailure);
}

int runWithoutDialog(int argc, char *argv[], Launch launch)
{
    QCoreApplication app(argc, argv);
    kivoInit(version, appName);
    QCommandLineParser parser;
    const CommandLineOptions options;
    options.addTo(parser);
    // Built before the turn is taken, since it reads the file to import: other runs must not wait
    // while this one waits for its input. What does not parse is left to the processing below.
    std::optional<CommandLineActions> actions;
    if (launch == Launch::QuietChanges && parser.parse(app.arguments()))
        actions.emplace(parser, options, undecodableArguments(argc, argv));

    std::unique_ptr<SingleInstancePeer> peer;
    if (const auto status = handOver(launch, peer))
        return *status;
    registerWinPropsTypes();
    if (const auto status = processCommandLine(parser, app))
        return *status;
    if (options.hasActions(parser) && !parser.isSet(options.quietOption)) {
        CommandLineActions::report(QCoreApplication::translate(
            "CommandLineActions",
            "--list, --show and --export open no dialog; give --quiet to make changes as well"));
        return 1;
    }

    receiveWhatTheBusDelivers(QDBusConnection::sessionBus());
    const auto ending = endingWhenTheBusIsLost();
    ApprcInterface apprc(WinPropsService::busName(), WinPropsService::objectPath(),
                         QDBusConnection::sessionBus());
    int status = 0;
    if (parser.isSet(options.quietOption)) {
        if (!actions)
            actions.emplace(parser, options, undecodableArguments(argc, argv));
        status = actions->runQuietly(apprc);
    }
    const ListingActions listing(parser, options);
    return status == 0 && listing.isRequested() ? listing.run(apprc) : status;
}

// Quiet runs take turns and end soon: a dialog started meanwhile waits for those started before
// it, rather than ask one of them to raise a dialog it does not have, and end unseen. The turn is
// let go at once, so that quiet runs started later find the dialog and give way. The exit status
// when this process is to end here.
std::optional<int> waitForQuietRunsAhead(QtSingleApplication &app)
{
    SingleInstancePeer turn(app.id());
    if (!turn.waitForTurn(QuietTurnTimeoutMs) && turn.error().isEmpty()) {
        const QString reason = QCoreApplication::translate(
            "CommandLineActions",
            "a quiet run started before the dialog did not end in time; the dialog was not "
            "opened");
        CommandLineActions::report(reason);
        QMessageBox::critical(
            nullptr, QCoreApplication::translate("CommandLineActions", "Windows properties"),
            reason);
        return 1;
    }
    if (app.isRunning()) {
        // A second start only brings the running instance to the front.
        app.sendMessage(QStringLiteral("raise"), 5000);
        return 1;
    }
    return std::nullopt;
}

int runDialog(int argc, char *argv[])
{
    QtSingleApplication app(argc, argv, true);
    kivoInit(version, appName);

    if (const auto status = waitForQuietRunsAhead(app))
        return *status;
    // Without a lock of its own the tool could run twice and one save undo the other.
    if (!app.lockError().isEmpty()) {
        CommandLineActions::report(app.lockError());
        return 1;
    }

    registerWinPropsTypes();
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("preferences-system-windows"), QIcon()));

    QCommandLineParser parser;
    const CommandLineOptions options;
    options.addTo(parser);
    parser.process(app);

    receiveWhatTheBusDelivers(QDBusConnection::sessionBus());
    ApprcInterface apprc(WinPropsService::busName(), WinPropsService::objectPath(),
                         QDBusConnection::sessionBus());

    WinPropsDialog dialog(&apprc);
    QObject::connect(&apprc, &ApprcProxy::desktopEffectsChanged, &dialog,
                     &WinPropsDialog::showDesktopEffects);
    app.setActivationWindow(&dialog, true);

    const CommandLineActions actions(parser, options, undecodableArguments(argc, argv));
    actions.runInteractively(dialog);
    const int status = app.exec();
    return actions.problems().isEmpty() ? status : InvalidCommandLineValue;
}
} // namespace

int main(int argc, char *argv[])
{
    // A reader that goes away is seen as a failed write, not as the end of the process: standard
    // output closed early (head, a pager) ends the output quietly, a file or named pipe is a
    // failure that is said.
    std::signal(SIGPIPE, SIG_IGN);
    const QStringList arguments = argumentsOf(argc, argv);
    const Launch launch = CommandLineOptions().launchFor(arguments);
    if (launch != Launch::Dialog)
        return runWithoutDialog(argc, argv, launch);
    if (!canShowWindows(arguments))
        return refuseWithoutDisplay(argc, argv);
    return runDialog(argc, argv);
}
