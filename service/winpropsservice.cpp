// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "winpropsservice.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>

QString WinPropsService::busName()
{
    return QStringLiteral("org.kivo.kivo-winprops");
}

QString WinPropsService::objectPath()
{
    return QStringLiteral("/Apprc");
}

void registerWinPropsTypes()
{
    qRegisterMetaType<WinProps>("WinProps");
    qDBusRegisterMetaType<WinProps>();
    qRegisterMetaType<WinPropsList>("WinPropsList");
    qDBusRegisterMetaType<WinPropsList>();
}

QString messageOf(const QDBusError &error)
{
    return error.message().isEmpty() ? QDBusError::errorString(error.type()) : error.message();
}

bool winPropsListFromReply(const QDBusPendingReply<WinPropsList> &reply, WinPropsList &list,
                           QString &errorMessage)
{
    list.clear();
    if (reply.isError()) {
        errorMessage = messageOf(reply.error());
        return false;
    }
    const QVariant argument = reply.argumentAt(0);
    if (argument.userType() == qMetaTypeId<QDBusArgument>())
        return readWinPropsList(argument.value<QDBusArgument>(), list, &errorMessage);
    if (argument.canConvert<WinPropsList>()) {
        list = argument.value<WinPropsList>();
        return true;
    }
    errorMessage = QCoreApplication::translate("WinPropsService",
                                               "The service sent no list of window properties.");
    return false;
}
