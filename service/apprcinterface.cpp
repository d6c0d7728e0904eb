// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "apprcinterface.h"

#include "winpropsservice.h"

ApprcInterface::ApprcInterface(const QString &service, const QString &path,
                               const QDBusConnection &connection, QObject *parent)
    : QDBusAbstractInterface(service, path, staticInterfaceName(), connection, parent)
{
}

ApprcInterface::~ApprcInterface() = default;

WinPropsBackend::Fetched ApprcInterface::fetchAll()
{
    QDBusPendingReply<WinPropsList, qulonglong> reply = getAllPropertiesAndGeneration();
    reply.waitForFinished();
    if (reply.isError() && lacksMethod(reply.error()))
        return fetchWithoutGeneration();
    m_generation.reset();
    m_lastSeen.reset();
    Fetched fetched;
    fetched.ok = winPropsListFromReply(QDBusPendingReply<WinPropsList>(reply), fetched.records,
                                       fetched.errorMessage);
    if (fetched.ok)
        m_generation = reply.argumentAt<1>();
    return fetched;
}

WinPropsBackend::Fetched ApprcInterface::readAllProperties()
{
    QDBusPendingReply<WinPropsList> reply = getAllProperties();
    reply.waitForFinished();
    Fetched fetched;
    fetched.ok = winPropsListFromReply(reply, fetched.records, fetched.errorMessage);
    return fetched;
}

WinPropsBackend::Fetched ApprcInterface::fetchWithoutGeneration()
{
    Fetched fetched = readAllProperties();
    m_generation.reset();
    m_lastSeen.reset();
    if (fetched.ok)
        m_lastSeen = fetched.records;
    return fetched;
}

WinPropsBackend::Stored ApprcInterface::storeAll(const WinPropsList &records)
{
    if (m_generation) {
        QDBusPendingReply<qulonglong> reply = setAllPropertiesIfUnchanged(records, *m_generation);
        reply.waitForFinished();
        if (!reply.isError()) {
            m_generation = reply.value();
            return { true, QString() };
        }
        if (reply.error().name() == collectionChangedError())
            return { false, messageOf(reply.error()), true };
        if (!lacksMethod(reply.error()))
            return { false, messageOf(reply.error()) };
        // An older service took the place of the one that was read.
        m_generation.reset();
    }
    return storeAfterComparing(records);
}

// The service cannot store on condition: what it holds is compared with what was last seen just
// before it is replaced, which leaves only a short time for a change to be lost.
WinPropsBackend::Stored ApprcInterface::storeAfterComparing(const WinPropsList &records)
{
    if (m_lastSeen) {
        const Fetched current = readAllProperties();
        if (!current.ok)
            return { false, current.errorMessage };
        if (current.records != *m_lastSeen)
            return { false, tr("The window properties were changed elsewhere."), true };
    }
    QDBusPendingReply<> reply = setAllProperties(records);
    reply.waitForFinished();
    if (reply.isError())
        return { false, messageOf(reply.error()) };
    m_lastSeen = records;
    return { true, QString() };
}

QDBusPendingReply<> ApprcInterface::addRef()
{
    return asyncCallWithArgumentList(QStringLiteral("addRef"), {});
}

QDBusPendingReply<WinPropsList> ApprcInterface::getAllProperties()
{
    return asyncCallWithArgumentList(QStringLiteral("getAllProperties"), {});
}

QDBusPendingReply<WinProps> ApprcInterface::getWindowProperties(const QString &winName)
{
    return asyncCallWithArgumentList(QStringLiteral("getWindowProperties"),
                                     { QVariant::fromValue(winName) });
}

QDBusPendingReply<> ApprcInterface::release()
{
    return asyncCallWithArgumentList(QStringLiteral("release"), {});
}

QDBusPendingReply<bool> ApprcInterface::removeWindowProperties(const QString &winName)
{
    return asyncCallWithArgumentList(QStringLiteral("removeWindowProperties"),
                                     { QVariant::fromValue(winName) });
}

QDBusPendingReply<bool> ApprcInterface::renameWindow(const QString &currentName,
                                                     const QString &newName)
{
    return asyncCallWithArgumentList(
        QStringLiteral("renameWindow"),
        { QVariant::fromValue(currentName), QVariant::fromValue(newName) });
}

QDBusPendingReply<> ApprcInterface::setAllProperties(WinPropsList wpl)
{
    return asyncCallWithArgumentList(QStringLiteral("setAllProperties"),
                                     { QVariant::fromValue(wpl) });
}

QDBusPendingReply<> ApprcInterface::setWindowProperties(const QString &winName,
                                                        const QString &props)
{
    return asyncCallWithArgumentList(QStringLiteral("setWindowProperties"),
                                     { QVariant::fromValue(winName), QVariant::fromValue(props) });
}

QDBusPendingReply<> ApprcInterface::setWindowProperties(WinProps winProps)
{
    return asyncCallWithArgumentList(QStringLiteral("setWindowProperties"),
                                     { QVariant::fromValue(winProps) });
}

QDBusPendingReply<QStringList> ApprcInterface::winNames()
{
    return asyncCallWithArgumentList(QStringLiteral("winNames"), {});
}

QDBusPendingReply<WinPropsList, qulonglong> ApprcInterface::getAllPropertiesAndGeneration()
{
    return asyncCallWithArgumentList(QStringLiteral("getAllPropertiesAndGeneration"), {});
}

QDBusPendingReply<qulonglong> ApprcInterface::setAllPropertiesIfUnchanged(WinPropsList wpl,
                                                                          qulonglong generation)
{
    return asyncCallWithArgumentList(QStringLiteral("setAllPropertiesIfUnchanged"),
                                     { QVariant::fromValue(wpl), QVariant::fromValue(generation) });
}
