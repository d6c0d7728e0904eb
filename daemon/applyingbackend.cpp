// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applyingbackend.h"

#include "daemon/applier/x11backend.h"
#include "daemon/gnome/gnomebackend.h"
#include "daemon/kwin/kwinapplier.h"
#include "daemon/sway/swayapplier.h"
#include "daemon/winpropsdaemon.h"

#include <QDBusConnection>

namespace {

const QString notApplied = QStringLiteral("window properties are kept but not applied to windows.");

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qgetenv("XDG_SESSION_TYPE") == "wayland";
}

// A backend whose desktop is there, with the log line that says so.
struct Chosen
{
    std::unique_ptr<WindowsBackend> backend;
    QString why;
    RecordsApplying::Handover handover = RecordsApplying::Handover::Batched;
};

// Each returns nothing where its desktop is not there; notes: why not, where worth a line.
using Candidate = std::optional<Chosen> (*)(QStringList &notes);

std::optional<Chosen> kwin(QStringList &)
{
    // KWin's rules act before a window is first shown, on Wayland and on X11 alike.
    if (!KwinApplier::isRunning(QDBusConnection::sessionBus()))
        return std::nullopt;
    const QString rulesPath = KwinApplier::defaultRulesPath();
    return Chosen { std::make_unique<KwinApplier>(rulesPath, QDBusConnection::sessionBus()),
                    QStringLiteral("Applying window properties through KWin's window rules in %1 "
                                   "(org.kde.KWin on the session bus).")
                        .arg(rulesPath) };
}

std::optional<Chosen> gnome(QStringList &)
{
    // Its extension applies, to Wayland and X11 windows alike: the X11 applier stays out, so
    // that no window has two hands on it.
    if (!GnomeBackend::isRunning(QDBusConnection::sessionBus()))
        return std::nullopt;
    return Chosen { std::make_unique<GnomeBackend>(QDBusConnection::sessionBus()),
                    QStringLiteral("GNOME Shell is the desktop (org.gnome.Shell on the session "
                                   "bus): its extension %1 applies the window properties.")
                        .arg(GnomeBackend::extensionUuid()) };
}

std::optional<Chosen> sway(QStringList &notes)
{
    const QString socket = qEnvironmentVariable("SWAYSOCK");
    if (socket.isEmpty())
        return std::nullopt;
    if (!SwayIpc::answers(socket)) {
        notes.append(
            QStringLiteral("No sway answers at %1 (SWAYSOCK); trying the X display.").arg(socket));
        return std::nullopt;
    }
    // Sway reports a new window at once: one opened right after a change finds it.
    return Chosen {
        std::make_unique<SwayApplier>(socket),
        QStringLiteral("Applying window properties through sway at %1 (SWAYSOCK).").arg(socket),
        RecordsApplying::Handover::BeforeAnswer
    };
}

std::optional<Chosen> x11(QStringList &)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return std::nullopt;
    // Its own line follows once it has reached the display. Handed over before the caller's
    // answer: a window it opens next finds the records there.
    return Chosen { std::make_unique<X11Backend>(), QString(),
                    RecordsApplying::Handover::BeforeAnswer };
}

// In the order they are tried: a compositor's own rules before the X display it may serve.
const Candidate candidates[] = { kwin, gnome, sway, x11 };

QString nothingAppliesReason()
{
    return isWaylandSession()
        ? QStringLiteral("A Wayland session without an X display: ") + notApplied
        : QStringLiteral("No X display (DISPLAY is not set): ") + notApplied;
}

} // namespace

std::unique_ptr<RecordsApplying> startApplying(WinPropsDaemon &daemon,
                                               const RecordsApplying::Log &log)
{
    for (const Candidate candidate : candidates) {
        QStringList notes;
        std::optional<Chosen> chosen = candidate(notes);
        for (const QString &note : qAsConst(notes))
            log(note);
        if (!chosen)
            continue;
        if (!chosen->why.isEmpty())
            log(chosen->why);
        return RecordsApplying::follow(daemon, std::move(chosen->backend), log, chosen->handover);
    }
    const QString reason = nothingAppliesReason();
    log(reason);
    daemon.setDesktopEffects(DesktopEffects::nothingApplies(reason));
    return nullptr;
}
