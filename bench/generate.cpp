// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// bench-generate COUNT FILE: writes COUNT generated records as the daemon's storage file.
#include "bench/benchrecords.h"
#include "platform/winprops/recordlines.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool isNumber = false;
    const int count = arguments.size() == 3 ? arguments.at(1).toInt(&isNumber) : 0;
    if (!isNumber || count < 0) {
        std::fputs("usage: bench-generate COUNT FILE\n", stderr);
        return 2;
    }
    QFile file(arguments.at(2));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(recordLines(BenchRecords::generate(count))) < 0 || !file.flush()) {
        std::fprintf(stderr, "bench-generate: %s\n", qUtf8Printable(file.errorString()));
        return 1;
    }
    return 0;
}
