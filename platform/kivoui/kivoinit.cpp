// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/kivoui/kivoui.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QStandardPaths>
#include <QTranslator>

namespace {
QPointer<QTranslator> qtTranslator;
QPointer<QTranslator> appTranslator;

QStringList translationFolders(const QString &appName)
{
    const QString inShare = QStringLiteral("/share/") + appName + QStringLiteral("/translations");
    return { QCoreApplication::applicationDirPath() + QStringLiteral("/..") + inShare,
             QStringLiteral(KIVO_BUILD_TRANSLATIONS_DIR),
             QStringLiteral(KIVO_INSTALL_DATADIR) + QLatin1Char('/') + appName
                 + QStringLiteral("/translations") };
}

// Replaces the translator held in slot by one of the first folder that has the file; none
// when no folder has it.
void install(QPointer<QTranslator> &slot, const QString &fileName, const QStringList &folders)
{
    if (slot) {
        QCoreApplication::removeTranslator(slot);
        delete slot;
    }
    for (const QString &folder : folders) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QLocale(), fileName, QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            slot = translator;
            return;
        }
        delete translator;
    }
}
// Without a theme, images, buttons and the icon picker would be blank. On X11 without a desktop
// Qt names no theme and does not even look in the freedesktop icon folders.
void ensureIconTheme()
{
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList freedesktop = QStringList(QDir::homePath() + QStringLiteral("/.icons"))
        + QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                    QStandardPaths::LocateDirectory);
    for (const QString &folder : freedesktop) {
        if (!paths.contains(folder))
            paths.append(folder);
    }
    const QString theme = kivoIconThemeFallback(QIcon::themeName(), paths);
    if (theme == QIcon::themeName())
        return;
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(theme);
}
} // namespace

void kivoInit(const char *version, const char *appName)
{
    const QString name = QString::fromUtf8(appName);
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(QString::fromUtf8(version));
    QCoreApplication::setOrganizationName(QStringLiteral("kivo"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kivo.org"));
    if (!QCoreApplication::instance())
        return;
    install(qtTranslator, QStringLiteral("qtbase"),
            { QLibraryInfo::location(QLibraryInfo::TranslationsPath) });
    install(appTranslator, name, translationFolders(name));
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        ensureIconTheme();
}

QString kivoIconThemeFallback(const QString &current, const QStringList &searchPaths)
{
    // hicolor holds only application icons: it is every theme's fallback, not a theme to use.
    if (!current.isEmpty() && current != QLatin1String("hicolor"))
        return current;
    static const QStringList preferred
        = { QStringLiteral("Adwaita"), QStringLiteral("breeze"), QStringLiteral("oxygen"),
            QStringLiteral("Tango"), QStringLiteral("gnome") };
    for (const QString &theme : preferred) {
        for (const QString &folder : searchPaths) {
            if (QFileInfo::exists(folder + QLatin1Char('/') + theme
                                  + QStringLiteral("/index.theme")))
                return theme;
        }
    }
    return current;
}
