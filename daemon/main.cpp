// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon/applyingbackend.h"
#include "daemon/apprcadaptor.h"
#include "daemon/signalquitter.h"
#include "daemon/winpropsdaemon.h"
#include "daemon/winpropsstore.h"
#include "platform/busconnection/busconnection.h"
#include "platform/winprops/winpropsservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

struct Options
{
    QString storagePath;
    std::optional<int> idleSeconds;
    bool apply = true;
};

// The longest idle time whose milliseconds fit a timer interval.
constexpr int maxIdleSeconds = 2147483;

void complain(const QString &message)
{
    std::fprintf(stderr, "kivo-winpropsd: %s\n", qUtf8Printable(message));
}

std::optional<Options> parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "Keeps the window properties of the desktop's programs and serves them on the session "
            "bus as %1 at %2.")
            .arg(WinPropsService::busName(), WinPropsService::objectPath()));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption storage(
        QStringLiteral("storage"),
        QStringLiteral("The file that holds the window properties (default: %1).")
            .arg(QDir::toNativeSeparators(WinPropsStore::defaultPath())),
        QStringLiteral("file"));
    const QCommandLineOption idle(
        QStringLiteral("exit-when-idle"),
        QStringLiteral("Exit when no client holds a reference and nothing called for this long."),
        QStringLiteral("seconds"));
    const QCommandLineOption noApply(
        QStringLiteral("no-apply"),
        QStringLiteral("Only keep the window properties: do not apply them to windows."));
    parser.addOptions({ storage, idle, noApply });
    parser.process(app);

    Options options;
    options.storagePath
        = parser.isSet(storage) ? parser.value(storage) : WinPropsStore::defaultPath();
    if (parser.isSet(idle)) {
        bool isNumber = false;
        const int seconds = parser.value(idle).toInt(&isNumber);
        if (!isNumber || seconds < 0 || seconds > maxIdleSeconds) {
            complain(QStringLiteral("--exit-when-idle needs a number of seconds from 0 to %1.")
                         .arg(maxIdleSeconds));
            return std::nullopt;
        }
        options.idleSeconds = seconds;
    }
    options.apply = !parser.isSet(noApply);
    return options;
}

// A stand-in: the name is taken only while nobody holds it, and given up to a service that asks
// to replace it (the desktop's own, say), whereupon this one ends.
bool claimBusName(QDBusConnection &bus)
{
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply
        = bus.interface()->registerService(WinPropsService::busName(),
                                           QDBusConnectionInterface::DontQueueService,
                                           QDBusConnectionInterface::AllowReplacement);
    if (!reply.isValid()) {
        complain(QStringLiteral("Cannot own the bus name %1: %2")
                     .arg(WinPropsService::busName(), reply.error().message()));
        return false;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        complain(
            QStringLiteral("The bus name %1 is already owned by another process (another "
                           "kivo-winpropsd, or the desktop's own service); leaving it to that.")
                .arg(WinPropsService::busName()));
        return false;
    }
    QObject::connect(bus.interface(), &QDBusConnectionInterface::serviceUnregistered,
                     QCoreApplication::instance(), [](const QString &name) {
                         if (name != WinPropsService::busName())
                             return;
                         complain(QStringLiteral("Another service took over the bus name %1; "
                                                 "exiting.")
                                      .arg(name));
                         QCoreApplication::quit();
                     });
    return true;
}

bool publish(QDBusConnection &bus, WinPropsDaemon &daemon)
{
    if (!bus.isConnected()) {
        complain(
            QStringLiteral("Cannot connect to the session bus: %1").arg(bus.lastError().message()));
        return false;
    }
    new ApprcAdaptor(&daemon);
    if (!bus.registerObject(WinPropsService::objectPath(), &daemon)) {
        complain(QStringLiteral("Cannot register the object %1: %2")
                     .arg(WinPropsService::objectPath(), bus.lastError().message()));
        return false;
    }
    return claimBusName(bus);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kivo-winpropsd"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KIVO_VERSION));
    const std::optional<Options> options = parseOptions(app);
    if (!options)
        return 1;
    registerWinPropsTypes();
    SignalQuitter quitter;
    if (!quitter.isValid()) {
        complain(QStringLiteral("Cannot watch for SIGTERM and SIGINT."));
        return 1;
    }

    WinPropsStore store(options->storagePath);
    StorageContents contents;
    QString errorMessage;
    if (!store.load(contents, errorMessage)) {
        complain(errorMessage);
        return 1;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Without its bus the daemon serves nobody; this also ends it with a private test bus. Heard
    // before the name is claimed: a bus that ends as soon as it sees the name would otherwise
    // leave the daemon running for ever.
    bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"),
                &quitter, SLOT(busDisconnected()));
    receiveWhatTheBusDelivers(bus);
    WinPropsDaemon daemon(store, contents.records, bus);
    QObject::connect(&daemon, &WinPropsDaemon::report, &app, complain);
    if (!publish(bus, daemon))
        return 1;
    // Once the bus name is ours, so that a second instance leaves no side file behind.
    if (!daemon.keepAside(contents.rejected)) {
        complain(QStringLiteral("Not starting, so that the unreadable lines of %1 are not lost.")
                     .arg(QDir::toNativeSeparators(store.path())));
        return 1;
    }
    // Only the instance that owns the bus name touches windows.
    const std::unique_ptr<RecordsApplying> applying
        = options->apply ? startApplying(daemon, complain) : nullptr;
    if (options->idleSeconds) {
        QObject::connect(&daemon, &WinPropsDaemon::idle, &app, &QCoreApplication::quit);
        daemon.setIdleTimeout(*options->idleSeconds);
    }
    return app.exec();
}
