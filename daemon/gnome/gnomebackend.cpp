// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/gnome/gnomebackend.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>

namespace {

const QString shellService = QStringLiteral("org.gnome.Shell");
const QString desktopName = QStringLiteral("GNOME Shell");

// 1: enabled, as GNOME Shell's extension manager counts; nothing when it does not know it.
std::optional<int> extensionState(const QDBusConnection &bus)
{
    QDBusMessage ask = QDBusMessage::createMethodCall(
        shellService, QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.gnome.Shell.Extensions"), QStringLiteral("GetExtensionInfo"));
    ask.setArguments({ GnomeBackend::extensionUuid() });
    // Asked only when the extension comes or goes: a shell that does not answer holds the
    // service that long at most.
    const QDBusReply<QVariantMap> info = bus.call(ask, QDBus::Block, 2000);
    if (!info.isValid() || !info.value().contains(QStringLiteral("state")))
        return std::nullopt;
    return int(info.value().value(QStringLiteral("state")).toDouble());
}

} // namespace

DesktopEffects gnomeEffects(const QString &desktop)
{
    DesktopEffects effects(desktop);
    effects.set(fieldOf(&WinProps::sticky), Effect::Applied, QStringLiteral("on all workspaces"));
    effects.set(fieldOf(&WinProps::ontop), Effect::Applied);
    effects.set(fieldOf(&WinProps::init_maximize), Effect::Applied);
    effects.set(fieldOf(&WinProps::init_minimize), Effect::Applied);
    effects.set(fieldOf(&WinProps::geometry), Effect::Applied,
                QStringLiteral("offsets from the edges of the work area"));
    effects.set(fieldOf(&WinProps::close_soon), Effect::Applied);
    effects.set(fieldOf(&WinProps::transparency), Effect::Applied);
    const QString noFrameApi = QStringLiteral("mutter lets no extension change a window's frame");
    for (bool WinProps::*frame :
         { &WinProps::no_title, &WinProps::no_border, &WinProps::no_border_edge,
           &WinProps::no_ctrlbtn, &WinProps::no_button1, &WinProps::no_button2,
           &WinProps::no_button3 })
        effects.set(fieldOf(frame), Effect::NoEffect, noFrameApi);
    const QString noBar = QStringLiteral("GNOME Shell has no taskbar or pager of that kind");
    effects.set(fieldOf(&WinProps::no_tbutton), Effect::NoEffect, noBar);
    effects.set(fieldOf(&WinProps::no_pager), Effect::NoEffect, noBar);
    for (bool WinProps::*none :
         { &WinProps::no_focus, &WinProps::onbottom, &WinProps::focus_on_click })
        effects.set(fieldOf(none), Effect::NoEffect);
    for (QString WinProps::*none : { &WinProps::small_image, &WinProps::large_image })
        effects.set(fieldOf(none), Effect::NoEffect);
    effects.set(fieldOf(&WinProps::shadow), Effect::NoEffect);
    return effects;
}

bool GnomeBackend::isRunning(const QDBusConnection &bus)
{
    return bus.interface() && bus.interface()->isServiceRegistered(shellService);
}

GnomeBackend::GnomeBackend(const QDBusConnection &bus, QObject *parent)
    : WindowsBackend(parent)
    , m_bus(bus)
{
}

void GnomeBackend::start(const WinPropsList &records)
{
    m_watcher = new QDBusServiceWatcher(presenceName(), m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &GnomeBackend::followExtension);
    m_records = records;
    followExtension();
}

void GnomeBackend::setRecords(const WinPropsList &records)
{
    m_records = records;
    if (!effects().applies())
        return;
    for (const WinProps &record : records)
        reportNoEffect(record, effects().noEffectIn(record));
}

void GnomeBackend::followExtension()
{
    const bool enabled = m_bus.interface()->isServiceRegistered(presenceName());
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        setEffects(gnomeEffects(desktopName));
        Q_EMIT notice(QStringLiteral("Applying window properties through GNOME Shell's extension "
                                     "%1, which reads them from this service.")
                          .arg(extensionUuid()));
        setRecords(m_records);
        return;
    }
    const QString why = whyNotApplied();
    setEffects(DesktopEffects::nothingApplies(why));
    Q_EMIT notice(why);
}

QString GnomeBackend::whyNotApplied() const
{
    const std::optional<int> state = extensionState(m_bus);
    const QString kept = QStringLiteral("window properties are kept but not applied to windows");
    if (!state)
        return QStringLiteral("GNOME Shell without the extension %1 installed: %2; it comes with "
                              "the service, under share/gnome-shell/extensions.")
            .arg(extensionUuid(), kept);
    return QStringLiteral("GNOME Shell with the extension %1 not enabled: %2; enable it with "
                          "\"gnome-extensions enable %1\".")
        .arg(extensionUuid(), kept);
}
