// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/winprops/winpropsservice.h"

#include "platform/winprops/desktopeffects.h"

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
    registerDesktopEffectsTypes();
}

QString collectionChangedError()
{
    return QStringLiteral("org.kivo.Kivo.WinProps.Error.Changed");
}

bool lacksMethod(const QDBusError &error)
{
    return error.type() == QDBusError::UnknownMethod
        || error.type() == QDBusError::UnknownInterface;
}

QString messageOf(const QDBusError &error)
{
    return error.message().isEmpty() ? QDBusError::errorString(error.type()) : error.message();
}

namespace {

// A text longer than a record may hold makes the whole reply unreadable: a list of such names
// alone could take minutes and gigabytes to lay out.
QString overlongTextProblem(const WinPropsList &list)
{
    for (const WinProps &props : list) {
        const QString name = props.winName();
        for (const QString *text :
             { &name, &props.small_image, &props.large_image, &props.geometry }) {
            if (text->size() > WinProps::MaxTextLength)
                return QCoreApplication::translate("WinPropsService",
                                                   "The service sent a text of %1 characters; "
                                                   "window names and values have at most %2.")
                    .arg(text->size())
                    .arg(WinProps::MaxTextLength);
        }
    }
    return {};
}

} // namespace

bool winPropsListFromReply(const QDBusPendingReply<WinPropsList> &reply, WinPropsList &list,
                           QString &errorMessage)
{
    list.clear();
    if (reply.isError()) {
        errorMessage = messageOf(reply.error());
        return false;
    }
    const QVariant argument = reply.argumentAt(0);
    bool read = false;
    if (argument.userType() == qMetaTypeId<QDBusArgument>()) {
        read = readWinPropsList(argument.value<QDBusArgument>(), list, &errorMessage);
    } else if (argument.canConvert<WinPropsList>()) {
        list = argument.value<WinPropsList>();
        read = true;
    } else {
        errorMessage = QCoreApplication::translate(
            "WinPropsService", "The service sent no list of window properties.");
    }
    if (read)
        errorMessage = overlongTextProblem(list);
    if (errorMessage.isNull())
        return true;
    list.clear();
    return false;
}
