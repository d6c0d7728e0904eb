// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "kivoui.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
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
}
