// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/kwin/kwinapplier.h"

#include "daemon/kwin/kwinrules.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <optional>

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
// Another writer (System Settings) replacing the file while we write makes us start again.
constexpr int writeTries = 5;

// The file's contents, an empty one when it is missing, or nothing when it is there and cannot
// be read.
std::optional<QByteArray> readRules(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QFileInfo(path).isFile() ? file.errorString() : QStringLiteral("not a file");
        return std::nullopt;
    }
    return file.readAll();
}

bool hasRules(const WinPropsList &records)
{
    return std::any_of(records.cbegin(), records.cend(), [](const WinProps &record) {
        return !kwinRuleOf(record).entries.isEmpty();
    });
}

} // namespace

bool KwinApplier::isRunning(const QDBusConnection &bus)
{
    return bus.interface() && bus.interface()->isServiceRegistered(kwinService);
}

QString KwinApplier::defaultRulesPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/kwinrulesrc");
}

KwinApplier::KwinApplier(const QString &rulesPath, const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_rulesPath(rulesPath)
    , m_bus(bus)
{
}

void KwinApplier::setRecords(const WinPropsList &records)
{
    for (const WinProps &record : records)
        reportNotApplied(record);
    if (writeRules(records))
        reconfigure();
}

void KwinApplier::reportNotApplied(const WinProps &record)
{
    const QStringList notApplied = kwinRuleOf(record).notApplied;
    if (notApplied.isEmpty())
        return;
    const QString members = notApplied.join(QStringLiteral(", "));
    const QString key = record.winName() + QLatin1Char('\x1f') + members;
    if (m_reported.contains(key))
        return;
    m_reported.insert(key);
    Q_EMIT notice(
        QStringLiteral("The properties %1 of \"%2\" have no effect on this desktop (KWin).")
            .arg(members, record.winName()));
}

// True when the file changed. A link is followed and stays a link.
bool KwinApplier::writeRules(const WinPropsList &records)
{
    const QFileInfo link(m_rulesPath);
    const QString path = link.isSymLink() ? link.symLinkTarget() : m_rulesPath;
    for (int tries = 0; tries < writeTries; ++tries) {
        QString error;
        const std::optional<QByteArray> before = readRules(path, error);
        if (!before) {
            Q_EMIT notice(QStringLiteral("Cannot read KWin's rules in %1 (%2): window properties "
                                         "are not applied, so that no rule of yours is lost.")
                              .arg(path, error));
            return false;
        }
        const QByteArray after = kwinRulesWith(*before, records);
        if (after == *before || (!QFileInfo::exists(path) && !hasRules(records)))
            return false;
        switch (replaceRules(path, *before, after)) {
        case Written::Yes:
            return true;
        case Written::No:
            return false;
        case Written::ChangedMeanwhile:
            break;
        }
    }
    Q_EMIT notice(QStringLiteral("KWin's rules in %1 kept changing while they were written: "
                                 "window properties are applied with the next change.")
                      .arg(path));
    return false;
}

// Writes the rules beside the file and renames them over it, unless the file changed since it
// was read.
KwinApplier::Written KwinApplier::replaceRules(const QString &path, const QByteArray &before,
                                               const QByteArray &after)
{
    // A file its owner made read-only is left alone, also by root.
    const QFileInfo info(path);
    if (info.exists() && (!info.isWritable() || !info.permission(QFile::WriteOwner))) {
        Q_EMIT notice(QStringLiteral("KWin's rules in %1 cannot be written: window properties "
                                     "are not applied.")
                          .arg(path));
        return Written::No;
    }
    QDir().mkpath(info.absolutePath());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(after) == after.size()) {
        QString error;
        if (readRules(path, error) != before) {
            file.cancelWriting();
            return Written::ChangedMeanwhile;
        }
        if (file.commit())
            return Written::Yes;
    }
    Q_EMIT notice(
        QStringLiteral("Cannot write KWin's rules in %1: %2.").arg(path, file.errorString()));
    return Written::No;
}

void KwinApplier::reconfigure()
{
    // KWin reads its rules again a moment later and applies them to the open windows; a burst
    // of calls is read once.
    m_bus.send(QDBusMessage::createMethodCall(kwinService, QStringLiteral("/KWin"),
                                              QStringLiteral("org.kde.KWin"),
                                              QStringLiteral("reconfigure")));
}
