// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/windowsbackend.h"

void WindowsBackend::setEffects(const DesktopEffects &effects)
{
    if (effects == m_effects)
        return;
    m_effects = effects;
    Q_EMIT effectsChanged(effects);
}

void WindowsBackend::reportOnce(const QString &key, const QString &message)
{
    if (m_reported.contains(key))
        return;
    m_reported.insert(key);
    Q_EMIT notice(message);
}

void WindowsBackend::reportNoEffect(const WinProps &record, const QStringList &keys)
{
    if (keys.isEmpty())
        return;
    reportOnce(record.winName() + QLatin1Char('\x1f') + keys.join(QLatin1Char(',')),
               noEffectLine(keys, record.winName(), m_effects.desktop()));
}
