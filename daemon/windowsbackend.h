// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_WINDOWSBACKEND_H
#define KIVO_WINDOWSBACKEND_H

#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/winprops.h"

#include <QObject>
#include <QSet>

// What applies the records to the windows of one kind of desktop. Every backend is started, fed
// and stopped the same way, from the daemon's thread; one that needs a thread of its own keeps
// it inside.
class WindowsBackend : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Takes the records and applies them to the windows open now; later windows count as new.
    virtual void start(const WinPropsList &records) = 0;
    // Applies changed records to the open windows, and to new ones from now on.
    virtual void setRecords(const WinPropsList &records) = 0;

Q_SIGNALS:
    // A line for the log: properties that have no effect there, what went wrong, the desktop
    // going away.
    void notice(const QString &message);
    // What the desktop does with each property, once known and whenever that changes (another
    // window manager, the compositor started again).
    void effectsChanged(const DesktopEffects &effects);

protected:
    void setEffects(const DesktopEffects &effects);
    const DesktopEffects &effects() const { return m_effects; }
    void reportOnce(const QString &key, const QString &message);
    // Once per record and set of properties: those the record sets that have no effect here.
    void reportNoEffect(const WinProps &record, const QStringList &keys);

private:
    DesktopEffects m_effects;
    QSet<QString> m_reported;
};

#endif
