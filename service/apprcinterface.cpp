// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "service/apprcinterface.h"

#include "platform/winprops/winpropsservice.h"

#include <QDBusConnectionInterface>

namespace {
WinPropsBackend::Stored storedAt(std::optional<qulonglong> generation)
{
    WinPropsBackend::Stored stored;
    stored.ok = true;
    stored.generation = generation;
    return stored;
}

WinPropsBackend::Fetched fetched(const QDBusPendingReply<WinPropsList, qulonglong> &reply)
{
    WinPropsBackend::Fetched fetched;
    fetched.ok = winPropsListFromReply(QDBusPendingReply<WinPropsList>(reply), fetched.records,
                                       fetched.errorMessage);
    if (fetched.ok)
        fetched.generation = reply.argumentAt<1>();
    return fetched;
}

WinPropsBackend::Stored refused(const QString &message, bool changedElsewhere = false)
{
    WinPropsBackend::Stored stored;
    stored.errorMessage = message;
    stored.changedElsewhere = changedElsewhere;
    return stored;
}

// What the answer to a conditional store means; nothing when the service lacks the call.
std::optional<WinPropsBackend::Stored> answerOf(QDBusPendingReply<qulonglong> reply)
{
    reply.waitForFinished();
    if (!reply.isError())
        return storedAt(reply.value());
    if (reply.error().name() == collectionChangedError())
        return refused(messageOf(reply.error()), true);
    if (!lacksMethod(reply.error()))
        return refused(messageOf(reply.error()));
    return std::nullopt;
}
} // namespace

ApprcInterface::ApprcInterface(const QString &service, const QString &path,
                               const QDBusConnection &connection, QObject *parent)
    : ApprcProxy(service, path, connection, parent)
{
}

ApprcInterface::~ApprcInterface() = default;

WinPropsBackend::Fetched ApprcInterface::fetchAll()
{
    QDBusPendingReply<WinPropsList, qulonglong> reply = getAllPropertiesAndGeneration();
    reply.waitForFinished();
    if (reply.isError() && lacksMethod(reply.error()))
        return readAllProperties();
    return fetched(reply);
}

std::optional<WinPropsBackend::Fetched> ApprcInterface::fetchNamed(const QStringList &names)
{
    if (!m_storesChanges)
        return std::nullopt;
    QDBusPendingReply<WinPropsList, qulonglong> reply = getPropertiesAndGeneration(names);
    reply.waitForFinished();
    if (reply.isError() && lacksMethod(reply.error())) {
        m_storesChanges = false;
        return std::nullopt;
    }
    return fetched(reply);
}

WinPropsBackend::Fetched ApprcInterface::readAllProperties()
{
    QDBusPendingReply<WinPropsList> reply = getAllProperties();
    reply.waitForFinished();
    Fetched fetched;
    fetched.ok = winPropsListFromReply(reply, fetched.records, fetched.errorMessage);
    return fetched;
}

bool ApprcInterface::isServiceAbsent()
{
    const QDBusConnectionInterface *bus = connection().interface();
    return !bus || !bus->isServiceRegistered(service()).value();
}

std::optional<DesktopEffects> ApprcInterface::effectsHere()
{
    QString ignored;
    return readDesktopEffects(ignored);
}

std::optional<DesktopEffects> ApprcInterface::readDesktopEffects(QString &errorMessage)
{
    errorMessage.clear();
    QDBusPendingReply<DesktopEffects> reply = desktopEffects();
    reply.waitForFinished();
    if (reply.isError()) {
        if (!lacksMethod(reply.error()))
            errorMessage = messageOf(reply.error());
        return std::nullopt;
    }
    const QVariant argument = reply.argumentAt(0);
    if (argument.userType() != qMetaTypeId<QDBusArgument>()
        || argument.value<QDBusArgument>().currentSignature() != QLatin1String("(ssa(sis))")) {
        errorMessage = tr("The service sent no description of this desktop.");
        return std::nullopt;
    }
    DesktopEffects effects;
    argument.value<QDBusArgument>() >> effects;
    return effects;
}

WinPropsBackend::Stored ApprcInterface::storeAll(const WinPropsList &records, const Fetched *basis)
{
    if (basis && basis->generation) {
        // Unless an older service took the place of the one that was read.
        if (const auto stored = answerOf(setAllPropertiesIfUnchanged(records, *basis->generation)))
            return *stored;
    }
    return storeAfterComparing(records, basis);
}

std::optional<WinPropsBackend::Stored> ApprcInterface::storeChanges(const WinPropsList &changed,
                                                                    const QStringList &removed,
                                                                    const Fetched &basis)
{
    if (!m_storesChanges || !basis.generation)
        return std::nullopt;
    const auto stored = answerOf(changePropertiesIfUnchanged(changed, removed, *basis.generation));
    m_storesChanges = stored.has_value();
    return stored;
}

// The service cannot store on condition: what it holds is compared with the basis just before
// it is replaced, which leaves only a short time for a change to be lost.
WinPropsBackend::Stored ApprcInterface::storeAfterComparing(const WinPropsList &records,
                                                            const Fetched *basis)
{
    if (basis) {
        const Fetched current = readAllProperties();
        if (!current.ok)
            return refused(current.errorMessage);
        if (current.records != basis->records)
            return refused(tr("The window properties were changed elsewhere."), true);
    }
    QDBusPendingReply<> reply = setAllProperties(records);
    reply.waitForFinished();
    if (reply.isError())
        return refused(messageOf(reply.error()));
    return storedAt(std::nullopt);
}
