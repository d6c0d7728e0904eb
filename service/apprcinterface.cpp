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
    QDBusPendingReply<WinPropsList> reply = getAllProperties();
    reply.waitForFinished();
    Fetched fetched;
    fetched.ok = winPropsListFromReply(reply, fetched.records, fetched.errorMessage);
    return fetched;
}

WinPropsBackend::Stored ApprcInterface::storeAll(const WinPropsList &records)
{
    QDBusPendingReply<> reply = setAllProperties(records);
    reply.waitForFinished();
    if (reply.isError())
        return { false, messageOf(reply.error()) };
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
