// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_TESTENVIRONMENT_H
#define KIVO_TESTENVIRONMENT_H

#include <QApplication>
#include <QString>
#include <QtTest>

// Every test process runs with XDG folders of its own, on the offscreen platform unless told
// otherwise, and on a bus of its own or none: it never touches the user's session, settings or
// data.
namespace TestEnvironment {
// Re-executes the process under a private bus daemon on the first call; returns in the child.
void enter(int argc, char **argv);
// The folders and the platform alone, for tests that need no bus: any use of one fails.
void enterWithoutBus();
// The temporary folder that holds this process's XDG folders.
QString root();
// The resident memory of a process, from /proc; -1 when it cannot be read.
qint64 residentKilobytes(qint64 pid);
// Removes the temporary folders.
void leave();
// A time limit stretched for instrumented builds, which run several times slower.
int scaledMs(int ms);
} // namespace TestEnvironment

// For tests on a private bus; KIVO_TEST_MAIN_WITHOUT_BUS for widget tests that need none.
#define KIVO_TEST_MAIN(TestObject) KIVO_TEST_MAIN_ENTERING(TestObject, enter(argc, argv))
#define KIVO_TEST_MAIN_WITHOUT_BUS(TestObject)                                                     \
    KIVO_TEST_MAIN_ENTERING(TestObject, enterWithoutBus())

#define KIVO_TEST_MAIN_ENTERING(TestObject, entering)                                              \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TestEnvironment::entering;                                                                 \
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
