// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_GNOMEBACKEND_H
#define KIVO_GNOMEBACKEND_H

#include "daemon/windowsbackend.h"

#include <QDBusConnection>

#include <optional>

class QDBusServiceWatcher;

// GNOME Shell, which has no window rules: our extension in it reads the records from this
// service over the session bus and applies them itself. This backend follows the extension by
// the bus name it owns while enabled, says whether the properties are applied, and how to enable
// it where they are not.
class GnomeBackend : public WindowsBackend
{
    Q_OBJECT

public:
    static QString extensionUuid() { return QStringLiteral("kivo-winprops@kivo.org"); }
    // The name the extension owns while it is enabled.
    static QString presenceName() { return QStringLiteral("org.kivo.kivowinprops.GnomeShell"); }
    static bool isRunning(const QDBusConnection &bus);

    explicit GnomeBackend(const QDBusConnection &bus, QObject *parent = nullptr);

    void start(const WinPropsList &records) override;
    // The extension reads the records itself; here only what has no effect is said.
    void setRecords(const WinPropsList &records) override;

private:
    void followExtension();
    QString whyNotApplied() const;

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher = nullptr;
    WinPropsList m_records;
    std::optional<bool> m_enabled;
};

// What the extension does with each property, as measured on GNOME Shell 43.
DesktopEffects gnomeEffects(const QString &desktop);

#endif
