// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_TESTENVIRONMENT_H
#define KIVO_TESTENVIRONMENT_H

#include <QApplication>
#include <QString>
#include <QtTest>

// Every test process runs on a bus of its own, with XDG folders of its own, on the offscreen
// platform unless told otherwise: it never touches the user's session, settings or data.
namespace TestEnvironment {
// Re-executes the process under a private bus daemon on the first call; returns in the child.
void enter(int argc, char **argv);
// The temporary folder that holds this process's XDG folders.
QString root();
// Removes the temporary folders.
void leave();
} // namespace TestEnvironment

#define KIVO_TEST_MAIN(TestObject)                                                                 \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TestEnvironment::enter(argc, argv);                                                        \
        int status = 0;                                                                            \
        {                                                                                          \
            QApplication app(argc, argv);                                                          \
            app.setAttribute(Qt::AA_Use96Dpi, true);                                               \
            TestObject tc;                                                                         \
            QTEST_SET_MAIN_SOURCE_PATH                                                             \
            status = QTest::qExec(&tc, argc, argv);                                                \
        }                                                                                          \
        TestEnvironment::leave();                                                                  \
        return status;                                                                             \
    }

#endif
