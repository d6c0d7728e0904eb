// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// bench-store [RECORD]: the floor of a save. Fetches every record through the tool's client,
// appends RECORD when given (so that the service has something to store), sends the collection
// back with setAllProperties and waits for the answer. Prints the milliseconds of the store call.
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>

#include <cstdio>

namespace {
int fail(const QString &message)
{
    std::fprintf(stderr, "bench-store: %s\n", qUtf8Printable(message));
    return 1;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    registerWinPropsTypes();
    ApprcInterface apprc(WinPropsService::busName(), WinPropsService::objectPath(),
                         QDBusConnection::sessionBus());
    const WinPropsBackend::Fetched fetched = apprc.readAllProperties();
    if (!fetched.ok)
        return fail(fetched.errorMessage);
    WinPropsList records = fetched.records;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) {
        const WinProps added(arguments.at(1));
        if (!added.isValid())
            return fail(added.errorString());
        records.append(added);
    }

    QElapsedTimer timer;
    timer.start();
    QDBusPendingReply<> stored = apprc.setAllProperties(records);
    stored.waitForFinished();
    const double milliseconds = timer.nsecsElapsed() / 1e6;
    if (stored.isError())
        return fail(stored.error().message());
    std::printf("%.3f\n", milliseconds);
    return 0;
}
