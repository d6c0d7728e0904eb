// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applyingbackend.h"

#include "daemon/kwin/kwinapplier.h"
#include "daemon/sway/swayapplier.h"
#include "daemon/winpropsdaemon.h"

#include <QDBusConnection>

std::unique_ptr<RecordsApplying> startApplying(WinPropsDaemon &daemon,
                                               const RecordsApplying::Log &log)
{
    // KWin's rules act before a window is first shown, on Wayland and on X11 alike.
    if (KwinApplier::isRunning(QDBusConnection::sessionBus())) {
        const QString rulesPath = KwinApplier::defaultRulesPath();
        log(QStringLiteral("Applying window properties through KWin's window rules in %1 "
                           "(org.kde.KWin on the session bus).")
                .arg(rulesPath));
        return RecordsApplying::follow(
            daemon, std::make_unique<KwinApplier>(rulesPath, QDBusConnection::sessionBus()), log);
    }
    const QString swaySocket = qEnvironmentVariable("SWAYSOCK");
    if (!swaySocket.isEmpty()) {
        if (SwayIpc::answers(swaySocket)) {
            log(QStringLiteral("Applying window properties through sway at %1 (SWAYSOCK).")
                    .arg(swaySocket));
            // Sway reports a new window at once: one opened right after a change finds it.
            return RecordsApplying::follow(daemon, std::make_unique<SwayApplier>(swaySocket), log,
                                           RecordsApplying::Handover::BeforeAnswer);
        }
        log(QStringLiteral("No sway answers at %1 (SWAYSOCK); trying the X display.")
                .arg(swaySocket));
    }
    return RecordsApplying::start(daemon, log);
}
