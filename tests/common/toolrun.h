// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_TOOLRUN_H
#define KIVO_TOOLRUN_H

#include <QProcessEnvironment>
#include <QStringList>

// One run of a program: the real kivo-admin-winprops executable, or another.
struct ToolRun
{
    int exitCode = -1; // -1: it crashed or did not end in time
    QString out;
    QString err;
};

// This process's environment with the messages in English.
QProcessEnvironment englishEnvironment();

// Runs the tool to its end while this process's event loop goes on, so that the test can play
// the running instance or the service meanwhile. input is its whole standard input.
ToolRun runTool(const QStringList &arguments,
                const QProcessEnvironment &environment = englishEnvironment(),
                int timeoutMs = 60000, const QByteArray &input = QByteArray());
ToolRun runProgram(const QString &program, const QStringList &arguments,
                   const QProcessEnvironment &environment = englishEnvironment(),
                   int timeoutMs = 60000, const QByteArray &input = QByteArray());

#endif
