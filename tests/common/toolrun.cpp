// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/common/toolrun.h"

#include <QProcess>
#include <QTest>

QProcessEnvironment englishEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.remove(QStringLiteral("LANGUAGE"));
    return environment;
}

ToolRun runTool(const QStringList &arguments, const QProcessEnvironment &environment, int timeoutMs,
                const QByteArray &input)
{
    return runProgram(QStringLiteral(KIVO_ADMIN_WINPROPS), arguments, environment, timeoutMs,
                      input);
}

ToolRun runProgram(const QString &program, const QStringList &arguments,
                   const QProcessEnvironment &environment, int timeoutMs, const QByteArray &input)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    ToolRun run;
    const bool ended = QTest::qWaitFor(
        [&process] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    if (!ended || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
