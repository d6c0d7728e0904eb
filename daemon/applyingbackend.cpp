// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applyingbackend.h"

#include "daemon/kwin/kwinapplier.h"
#include "daemon/sway/swayapplier.h"
#include "daemon/winpropsdaemon.h"

#include <QDBusConnection>

namespace {

std::unique_ptr<RecordsApplying> startSway(WinPropsDaemon &daemon, const RecordsApplying::Log &log,
                                           const QString &socketPath)
{
    log(QStringLiteral("Applying window properties through sway at %1 (SWAYSOCK).")
            .arg(socketPath));
    auto sway = std::make_unique<SwayApplier>(socketPath);
    QObject::connect(sway.get(), &SwayApplier::notice, sway.get(), log);
    sway->start(daemon.records());
    SwayApplier *applier = sway.get();
    return RecordsApplying::follow(daemon, std::move(sway), [applier](const WinPropsList &records) {
        applier->setRecords(records);
    });
}

std::unique_ptr<RecordsApplying> startKwin(WinPropsDaemon &daemon, const RecordsApplying::Log &log)
{
    const QString rulesPath = KwinApplier::defaultRulesPath();
    log(QStringLiteral("Applying window properties through KWin's window rules in %1 "
                       "(org.kde.KWin on the session bus).")
            .arg(rulesPath));
    auto kwin = std::make_unique<KwinApplier>(rulesPath, QDBusConnection::sessionBus());
    QObject::connect(kwin.get(), &KwinApplier::notice, kwin.get(), log);
    kwin->setRecords(daemon.records());
    KwinApplier *applier = kwin.get();
    return RecordsApplying::follow(daemon, std::move(kwin), [applier](const WinPropsList &records) {
        applier->setRecords(records);
    });
}

} // namespace

std::unique_ptr<RecordsApplying> startApplying(WinPropsDaemon &daemon,
                                               const RecordsApplying::Log &log)
{
    // KWin's rules act before a window is first shown, on Wayland and on X11 alike.
    if (KwinApplier::isRunning(QDBusConnection::sessionBus()))
        return startKwin(daemon, log);
    const QString swaySocket = qEnvironmentVariable("SWAYSOCK");
    if (!swaySocket.isEmpty()) {
        if (SwayIpc::answers(swaySocket))
            return startSway(daemon, log, swaySocket);
        log(QStringLiteral("No sway answers at %1 (SWAYSOCK); trying the X display.")
                .arg(swaySocket));
    }
    return RecordsApplying::start(daemon, log);
}
