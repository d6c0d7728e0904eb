// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/daemon/winpropsstorewriter.h"
#include "daemon/winpropsstore.h"

#include <cstdio>
#include <cstdlib>

// Usage: winpropsstore-writer FILE SIZE. Prints one line after each completed save.
int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    WinPropsStore store(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[2]);
    const WinPropsList collections[] = { writerCollection(0, size), writerCollection(1, size) };
    for (int turn = 0;; turn = 1 - turn) {
        QString errorMessage;
        if (!store.save(collections[turn], errorMessage)) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(errorMessage));
            return 1;
        }
        std::printf("saved %d\n", turn);
        std::fflush(stdout);
    }
}
