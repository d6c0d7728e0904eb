// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// bench-fetch: the floor of the tool's start-up on the service's side. Fetches every record
// through the tool's own client and decodes it, as the dialog does, and nothing more.
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    registerWinPropsTypes();
    ApprcInterface apprc(WinPropsService::busName(), WinPropsService::objectPath(),
                         QDBusConnection::sessionBus());
    const WinPropsBackend::Fetched fetched = apprc.readAllProperties();
    if (!fetched.ok) {
        std::fprintf(stderr, "bench-fetch: %s\n", qUtf8Printable(fetched.errorMessage));
        return 1;
    }
    std::printf("%d\n", int(fetched.records.size()));
    return 0;
}
