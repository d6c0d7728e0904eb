// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/display.h"

#include "platform/x11/x11connection.h"

namespace {
// The platforms Qt tries in turn: -platform, else QT_QPA_PLATFORM, else X11 (Qt 5's default).
QStringList platformsToTry(const QStringList &arguments, const QProcessEnvironment &environment)
{
    const int index = arguments.indexOf(QStringLiteral("-platform"));
    QString platforms = index >= 0 && index + 1 < arguments.size()
        ? arguments.at(index + 1)
        : environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (platforms.isEmpty())
        platforms = QStringLiteral("xcb");
    return platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

bool canReachX11(const QString &display)
{
    if (display.isEmpty())
        return false;
    return X11Connection::open(display.toLocal8Bit()) != nullptr;
}

bool canUse(const QString &platform, const QProcessEnvironment &environment)
{
    // A platform may carry options after a colon: "xcb:...".
    const QString name = platform.section(QLatin1Char(':'), 0, 0);
    if (name == QLatin1String("xcb"))
        return canReachX11(environment.value(QStringLiteral("DISPLAY")));
    if (name.startsWith(QLatin1String("wayland")))
        return !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    return true;
}
} // namespace

bool canShowWindows(const QStringList &arguments, const QProcessEnvironment &environment)
{
    const QStringList platforms = platformsToTry(arguments, environment);
    return std::any_of(platforms.cbegin(), platforms.cend(),
                       [&](const QString &platform) { return canUse(platform, environment); });
}
