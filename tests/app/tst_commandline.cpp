// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/winprops/winpropsfields.h"
#include "tests/common/filetestutil.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/common/toolrun.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {
const QStringList stored = { "a;ontop", "b;sticky", "c;no_title" };
const QString listed = QStringLiteral("a;ontop\nb;sticky\nc;no_title\n");

// As over ssh or from cron: no display of any kind.
QProcessEnvironment environmentWithoutDisplay()
{
    QProcessEnvironment environment = englishEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QLatin1String(name));
    return environment;
}

// What bash's completion offers after the words typed so far.
QStringList bashOffers(const QStringList &words)
{
    const ToolRun bash
        = runProgram("bash",
                     QStringList({ "-c",
                                   "source \"$1\"; shift; COMP_WORDS=(\"$@\"); "
                                   "COMP_CWORD=$(($# - 1)); _kivo_admin_winprops; "
                                   "printf '%s\\n' \"${COMPREPLY[@]}\"",
                                   "bash", KIVO_BASH_COMPLETION, KIVO_ADMIN_WINPROPS })
                         + words);
    if (bash.exitCode != 0)
        return { QStringLiteral("(bash failed)") };
    return bash.out.split('\n', Qt::SkipEmptyParts);
}

// The long options a text names outside its comment lines.
QStringList longOptionsIn(const QString &text)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*"));
    QStringList found;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        for (auto match = option.globalMatch(line); match.hasNext();)
            found.append(match.next().captured());
    }
    found.removeDuplicates();
    found.sort();
    return found;
}
} // namespace

// The quiet path of the real executable against the stand-in service.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Bytes that are not UTF-8 would be read as replacement characters, so that different names
    // became one. Arguments are printf formats, so that they can hold any bytes.
    void undecodableValues_data()
    {
        QTest::addColumn<QStringList>("formats");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("record") << QStringList({ "--quiet", "--add", "x\\377;ontop" }) << 2
                                << QString("kivo-admin-winprops: the window record "
                                           "\"x\uFFFD;ontop\" is not valid text\n");
        QTest::newRow("record after =") << QStringList({ "--quiet", "--add=x\\377" }) << 2
                                        << QString("kivo-admin-winprops: the window record "
                                                   "\"x\uFFFD\" is not valid text\n");
        QTest::newRow("name to delete")
            << QStringList({ "--quiet", "--delete", "\\300\\201a" }) << 2
            << QString("kivo-admin-winprops: the window name \"\uFFFD\uFFFDa\" given to "
                       "--delete is not valid text\n");
        QTest::newRow("UTF-8 beyond ASCII")
            << QStringList({ "--quiet", "--add", "\\320\\237;ontop" }) << 0 << QString();
    }

    void undecodableValues()
    {
        QFETCH(QStringList, formats);
        QFETCH(int, status);
        QFETCH(QString, message);
        ServiceProcess service;
        QVERIFY(service.startWith(stored));
        QProcessEnvironment environment = englishEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        // Each format turns into the bytes it stands for, then the tool runs with them.
        const ToolRun run = runProgram(
            QStringLiteral("/bin/sh"),
            QStringList { "-c",
                          "tool=$1; shift; for a; do set -- \"$@\" \"$(printf \"%s$a\" '')\"; "
                          "shift; done; exec \"$tool\" \"$@\"",
                          "sh", KIVO_ADMIN_WINPROPS }
                + formats,
            environment);
        QCOMPARE(run.err, message);
        QCOMPARE(run.exitCode, status);
        QCOMPARE(service.readStorage(),
                 status == 0 ? stored + QStringList(QStringLiteral("П;ontop")) : stored);
    }

    void absentService_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("add") << QStringList({ "--quiet", "--add", "n;ontop" }) << 3;
        QTest::newRow("delete") << QStringList({ "--quiet", "--delete", "a" }) << 3;
        QTest::newRow("nothing to do") << QStringList("--quiet") << 0;
        QTest::newRow("edit only") << QStringList({ "--quiet", "--edit", "a" }) << 0;
    }

    void absentService()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        ServiceProcess service;
        service.writeStorage(stored);
        const ToolRun run = runTool(arguments);
        QCOMPARE(run.exitCode, status);
        if (status == 3)
            QVERIFY2(run.err.startsWith("kivo-admin-winprops: the window properties could not be "
                                        "read from the service: "),
                     qPrintable(run.err));
        else
            QCOMPARE(run.err, QString());
        QVERIFY(service.start());
        QCOMPARE(service.readStorage(), stored);
    }

    // What a service that applies nothing tells, and no service at all.
    void desktop_data()
    {
        QTest::addColumn<QStringList>("serviceArguments"); // none: no service
        QTest::addColumn<QString>("reason");
        QTest::newRow("told to keep only")
            << QStringList("--no-apply") << "The service was started with --no-apply";
        QTest::newRow("no display at all") << QStringList() << "No X display (DISPLAY is not set)";
        QTest::newRow("no service") << QStringList("none") << "";
    }

    void desktop()
    {
        QFETCH(QStringList, serviceArguments);
        QFETCH(QString, reason);
        const bool serviceRuns = serviceArguments != QStringList("none");
        const int status = serviceRuns ? 0 : 3;
        ServiceProcess service;
        service.writeStorage(stored);
        service.process().setProcessEnvironment(environmentWithoutDisplay());
        QVERIFY(!serviceRuns || service.start(serviceArguments));
        const ToolRun run = runTool({ QStringLiteral("--desktop") });
        QCOMPARE(run.exitCode, status);
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!serviceRuns) {
            QVERIFY2(run.err.startsWith("kivo-admin-winprops: the service could not be asked"),
                     qPrintable(run.err));
            QCOMPARE(lines, QStringList());
            return;
        }
        QVERIFY2(lines.value(0).startsWith(QStringLiteral("Desktop: none (") + reason),
                 qPrintable(run.out));
        QCOMPARE(lines.size(), 1 + int(winPropsFields().size()));
        for (const QString &line : lines.mid(1))
            QVERIFY2(line.endsWith(QLatin1String(": no effect")), qPrintable(line));
    }

    // Quiet changes, listings, both and refused values, each on the stored three.
    void runs_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("after");
        const auto quiet = [](const char *name, const QStringList &arguments,
                              const QStringList &after, const QString &err = QString()) {
            QTest::newRow(name) << arguments << 0 << QString() << err << after;
        };
        quiet("add", { "--quiet", "--add", "n;geometry=640x480+0+0" },
              stored + QStringList("n;geometry=640x480+0+0"));
        quiet("add replaces", { "--quiet", "--add", "b;no_border" },
              { "a;ontop", "b;no_border", "c;no_title" });
        // Deleting comes first whatever the order given, so the new b survives.
        quiet("add and delete", { "--add", "b;no_border", "--quiet", "--delete", "b" },
              { "a;ontop", "c;no_title", "b;no_border" });
        quiet("delete", { "--quiet", "--delete", "a" }, { "b;sticky", "c;no_title" });
        quiet("delete missing", { "--quiet", "--delete", "x" }, stored);
        quiet("delete other case", { "--quiet", "--delete", "A" }, stored);
        quiet("edit", { "--quiet", "--edit", "x" }, stored);
        quiet("empty edit", { "--quiet", "--edit", "" }, stored);
        quiet("nothing", { "--quiet" }, stored);
        quiet("record that sets nothing", { "--quiet", "--add", "n" }, stored,
              "kivo-admin-winprops: the record for \"n\" sets no property, so nothing is "
              "stored for \"n\"\n");
        quiet("record that sets nothing, over a stored entry", { "--quiet", "--add", "b" },
              { "a;ontop", "c;no_title" },
              "kivo-admin-winprops: the record for \"b\" sets no property, so the stored "
              "entry of \"b\" was removed\n");
        // Every value counts: all deletions first, then all additions, each in the order given.
        quiet("several of each",
              { "--quiet", "--add", "b;no_border", "--delete", "a", "--add", "a;sticky", "--delete",
                "b", "--add", "n;ontop" },
              { "c;no_title", "b;no_border", "a;sticky", "n;ontop" });
        quiet("one name given twice", { "--quiet", "--add", "n;ontop", "--add", "n;sticky" },
              stored + QStringList("n;sticky"));
        // Refused with status 2 and one line, before anything is stored.
        const auto refused
            = [](const char *name, const QStringList &arguments, const QString &err) {
                  QTest::newRow(name) << arguments << 2 << QString()
                                      << QStringLiteral("kivo-admin-winprops: ") + err + '\n'
                                      << stored;
              };
        const QString notAShadow = QStringLiteral(
            "\"200\" is not a value of \"shadow\"; use a number from 0 to 100, or -1 for none.");
        refused("invalid record", { "--quiet", "--delete", "a", "--add", "n;shadow=200" },
                "invalid window record \"n;shadow=200\": " + notAShadow);
        refused("empty record", { "--quiet", "--add", "" },
                "invalid window record \"\": The window name is empty.");
        refused("empty import", { "--quiet", "--import", "" },
                "the file name given to --import is empty");
        refused("empty delete", { "--quiet", "--delete", "" },
                "the window name given to --delete is empty");
        // "--add xterm ontop" with the ";" forgotten would store xterm without its properties.
        refused("stray argument", { "--quiet", "--add", "xterm", "ontop" },
                "unexpected argument \"ontop\"");
        refused("second of several records invalid",
                { "--quiet", "--add", "n;ontop", "--add", "m;shadow=200" },
                "invalid window record \"m;shadow=200\": " + notAShadow);
        QTest::newRow("list") << QStringList("--list") << 0 << listed << "" << stored;
        QTest::newRow("show") << QStringList({ "--show", "b" }) << 0 << "b;sticky\n"
                              << "" << stored;
        QTest::newRow("show missing")
            << QStringList({ "--show", "B" }) << 4 << ""
            << "kivo-admin-winprops: no properties are stored for the window \"B\"\n"
            << stored;
        QTest::newRow("show empty name")
            << QStringList({ "--show", "" }) << 2 << ""
            << "kivo-admin-winprops: the window name given to --show is empty\n"
            << stored;
        QTest::newRow("export to standard output")
            << QStringList({ "--export", "-" }) << 0 << listed << "" << stored;
        QTest::newRow("quiet change, then show")
            << QStringList({ "--quiet", "--add", "n;ontop", "--show", "n" }) << 0 << "n;ontop\n"
            << "" << (stored + QStringList("n;ontop"));
        QTest::newRow("change without quiet")
            << QStringList({ "--list", "--delete", "a" }) << 1 << ""
            << "kivo-admin-winprops: --list, --show and --export open no dialog; give --quiet to "
               "make changes as well\n"
            << stored;
    }

    void runs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        ServiceProcess service;
        QVERIFY(service.startWith(stored));
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, after);
        const ToolRun run = runTool(arguments);
        QCOMPARE(run.err, err);
        QCOMPARE(run.out, out);
        QCOMPARE(run.exitCode, status);
        QCOMPARE(service.readStorage(), after);
    }

    // A file is written; what is no regular file is written as it is, never replaced by one.
    void exportTargets_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::newRow("file") << "export.txt" << 0 << "";
        QTest::newRow("file in a missing folder")
            << "missing/export.txt" << 6 << "could not be written";
        QTest::newRow("named pipe with a reader") << "pipe" << 0 << "";
        QTest::newRow("named pipe nobody reads")
            << "lone pipe" << 6 << "could not be written: it is a named pipe that nobody reads";
        QTest::newRow("/dev/stdout into a pipe") << "/dev/stdout" << 0 << "";
    }

    void exportTargets()
    {
        QFETCH(QString, target);
        QFETCH(int, status);
        QFETCH(QString, err);
        ServiceProcess service;
        QVERIFY(service.startWith(stored));
        QTemporaryDir folder;
        const QString path = target.startsWith(QLatin1Char('/')) ? target : folder.filePath(target);
        const bool pipe = target.endsWith(QLatin1String("pipe"));
        if (pipe)
            QVERIFY(makeFileOfKind(path, QStringLiteral("pipe")));
        QProcess reader;
        if (target == QLatin1String("pipe"))
            reader.start(QStringLiteral("cat"), { path });
        const ToolRun run = runTool({ "--export", path });
        QCOMPARE(run.exitCode, status);
        QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.contains(err), qPrintable(run.err));
        if (target == QLatin1String("/dev/stdout"))
            QCOMPARE(run.out, listed);
        else if (target == QLatin1String("export.txt"))
            QCOMPARE(QString::fromUtf8(contentsOf(path)), listed);
        if (pipe)
            QVERIFY(!QFileInfo(path).isFile() && QFileInfo::exists(path));
        if (target == QLatin1String("pipe")) {
            QTRY_COMPARE(reader.state(), QProcess::NotRunning);
            QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()), listed);
        }
    }

    // Standard output whose reader stops early ends quietly, as other tools do; a named pipe
    // whose reader stops is a failure that is said.
    void closedOutput_data()
    {
        QTest::addColumn<QString>("command"); // $1: the tool, $2: a named pipe
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("err");
        QTest::newRow("--list | head -c1") << "\"$1\" --list | head -c1 >/dev/null"
                                           << "0"
                                           << "";
        QTest::newRow("--export - | head -c1") << "\"$1\" --export - | head -c1 >/dev/null"
                                               << "0"
                                               << "";
        QTest::newRow("--export FIFO, its reader gone after a byte")
            << "mkfifo \"$2\"; head -c1 \"$2\" >/dev/null & \"$1\" --export \"$2\""
            << "6"
            << "could not be written: Broken pipe";
    }

    void closedOutput()
    {
        QFETCH(QString, command);
        QFETCH(QString, err);
        // More than a pipe holds, so that the tool still writes when its reader has gone.
        QStringList many;
        for (int i = 0; i < 5000; ++i)
            many.append(QStringLiteral("window%1;no_title;geometry=640x480+0+0").arg(i));
        ServiceProcess service;
        QVERIFY(service.startWith(many));
        QTemporaryDir folder;
        const ToolRun run
            = runProgram(QStringLiteral("bash"),
                         { "-c", command + QStringLiteral("; echo \"${PIPESTATUS[0]}\""), "bash",
                           KIVO_ADMIN_WINPROPS, folder.filePath(QStringLiteral("fifo")) });
        QTEST(run.out.trimmed(), "status");
        QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.contains(err), qPrintable(run.err));
    }

    void fullStandardOutputFails_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("list") << QStringList("--list");
        QTest::newRow("show") << QStringList({ "--show", "b" });
        QTest::newRow("export") << QStringList({ "--export", "-" });
    }

    void fullStandardOutputFails()
    {
        QFETCH(QStringList, arguments);
        ServiceProcess service;
        QVERIFY(service.startWith(stored));
        QProcess tool;
        tool.setProcessEnvironment(englishEnvironment());
        tool.setStandardOutputFile(QStringLiteral("/dev/full"));
        tool.start(QStringLiteral(KIVO_ADMIN_WINPROPS), arguments);
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.readAllStandardError(),
                 QByteArray("kivo-admin-winprops: standard output could not be written\n"));
        QCOMPARE(tool.exitCode(), 6);
    }

    void listReadsBackUnchanged()
    {
        const QStringList odd = { "x\\;y\\=z\\\\;small_image=p\\;q", "Привет;geometry=1x2-3+4",
                                  "  spaced  ;large_image= i " };
        ServiceProcess service;
        QVERIFY(service.startWith(odd));
        const ToolRun listing = runTool({ "--list" });
        QCOMPARE(listing.out.split('\n', Qt::SkipEmptyParts), odd);
        for (const QString &line : listing.out.split('\n', Qt::SkipEmptyParts)) {
            const QString name = WinProps(line).winName();
            QCOMPARE(runTool({ "--quiet", "--delete", name, "--add", line }).exitCode, 0);
        }
        QCOMPARE(runTool({ "--quiet", "--import", "-" }, englishEnvironment(), 60000,
                         listing.out.toUtf8())
                     .exitCode,
                 0);
        QCOMPARE(service.readStorage(), odd);
    }

    void import_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("errPart");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("replaces and adds")
            << QByteArray("b;no_border\n\nn;ontop\r\n") << 0 << ""
            << QStringList({ "a;ontop", "b;no_border", "c;no_title", "n;ontop" });
        QTest::newRow("bad line") << QByteArray("n;ontop\nb;colour=red\n") << 2
                                  << ", line 2: \"colour\" is not a window property." << stored;
        QTest::newRow("repeated name")
            << QByteArray("n\n\nn;ontop") << 2 << ", line 3: the window \"n\" is already on line 1"
            << stored;
        QTest::newRow("not UTF-8") << QByteArray("n;small_image=\xff\n") << 2
                                   << ", line 1: the line is not UTF-8 text" << stored;
        QTest::newRow("empty") << QByteArray() << 0 << "" << stored;
        QTest::newRow("line that sets nothing")
            << QByteArray("b\n") << 0
            << "the record for \"b\" sets no property, so the stored entry of \"b\" was removed"
            << QStringList({ "a;ontop", "c;no_title" });
    }

    void import()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QString, errPart);
        QFETCH(QStringList, after);
        QTemporaryDir folder;
        QFile input(folder.filePath("import.txt"));
        QVERIFY(input.open(QIODevice::WriteOnly) && input.write(file) == file.size());
        input.close();
        for (const QString &path : { input.fileName(), QStringLiteral("-") }) {
            ServiceProcess service;
            QVERIFY(service.startWith(stored));
            const ToolRun run
                = runTool({ "--quiet", "--import", path }, englishEnvironment(), 60000, file);
            QCOMPARE(run.exitCode, status);
            // A bad line is named by the file and its number.
            const QString source = errPart.startsWith(',') ? path : QString();
            QVERIFY2(errPart.isEmpty()
                         ? run.err.isEmpty()
                         : run.err.startsWith("kivo-admin-winprops: " + source + errPart),
                     qPrintable(run.err));
            QCOMPARE(service.readStorage(), after);
        }
    }

    // Refused with one line, and read before the run takes its turn: a quiet run beside it is
    // not kept waiting.
    void hostileImportFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("sparse file of 3 GiB") << "sparse"
                                              << "it holds more than 134217728 bytes";
        QTest::newRow("/dev/zero") << "/dev/zero"
                                   << "it holds more than 134217728 bytes";
        QTest::newRow("named pipe without a writer") << "pipe"
                                                     << "nothing came from it for 5 seconds";
        QTest::newRow("folder") << "folder"
                                << "Is a directory";
    }

    void hostileImportFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        ServiceProcess service;
        QVERIFY(service.startWith(stored));
        QTemporaryDir folder;
        QString path = folder.filePath(QStringLiteral("import"));
        if (kind.startsWith(QLatin1Char('/')))
            path = kind;
        else
            QVERIFY(makeFileOfKind(path, kind, qint64(3) << 30));
        QProcess importing;
        importing.setProcessEnvironment(englishEnvironment());
        importing.start(QStringLiteral(KIVO_ADMIN_WINPROPS), { "--quiet", "--import", path });
        QCOMPARE(runTool({ "--quiet", "--add", "n;ontop" }).exitCode, 0);
        QTRY_COMPARE_WITH_TIMEOUT(importing.state(), QProcess::NotRunning, 20000);
        QCOMPARE(importing.exitCode(), 2);
        const QString err = QString::fromLocal8Bit(importing.readAllStandardError());
        QVERIFY2(err.startsWith(QStringLiteral("kivo-admin-winprops: the file \"%1\" could not be "
                                               "read: %2")
                                    .arg(path, reason))
                     && err.count(QLatin1Char('\n')) == 1,
                 qPrintable(err));
        QCOMPARE(service.readStorage(), stored + QStringList("n;ontop"));
    }

    void withoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("help") << QStringList("--help") << 0 << "" << stored;
        QTest::newRow("version") << QStringList("--version") << 0 << "" << stored;
        QTest::newRow("list") << QStringList("--list") << 0 << "" << stored;
        QTest::newRow("quiet add") << QStringList({ "--quiet", "--add", "n;ontop" }) << 0 << ""
                                   << (stored + QStringList("n;ontop"));
        QTest::newRow("quiet delete") << QStringList({ "--quiet", "--delete", "a" }) << 0 << ""
                                      << QStringList({ "b;sticky", "c;no_title" });
        QTest::newRow("dialog") << QStringList() << 5
                                << "kivo-admin-winprops: the dialog needs a display, and none was "
                                   "found; --help, --list, --show, --export and --quiet work "
                                   "without one\n"
                                << stored;
        QTest::newRow("import into the dialog")
            << QStringList({ "--import", "-" }) << 5 << "" << stored;
    }

    void withoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, err);
        QFETCH(QStringList, after);
        ServiceProcess service;
        QVERIFY(service.startWith(stored));
        const ToolRun run = runTool(arguments, environmentWithoutDisplay());
        QCOMPARE(run.exitCode, status);
        if (!err.isEmpty() || status == 0)
            QCOMPARE(run.err, err);
        QCOMPARE(service.readStorage(), after);
    }

    void bashCompletion_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("option") << QStringList("--de") << QStringList({ "--delete", "--desktop" });
        QTest::newRow("stored names")
            << QStringList({ "--delete", "a" }) << QStringList({ "a", "ab\\ c" });
        QTest::newRow("escaped name") << QStringList({ "--show", "x" }) << QStringList("x\\;y");
        QTest::newRow("all names")
            << QStringList({ "--quiet", "--edit", "" }) << QStringList({ "a", "ab\\ c", "x\\;y" });
        QTest::newRow("no record") << QStringList({ "--add", "" }) << QStringList();
    }

    void bashCompletion()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, offered);
        ServiceProcess service;
        QVERIFY(service.startWith({ "a;ontop", "ab c;sticky", "x\\;y;no_title" }));
        QCOMPARE(bashOffers(words), offered);
    }

    // zsh's completion reads the names as bash's does; its completion system is stood in for.
    void zshCompletionOffersStoredNames()
    {
        ServiceProcess service;
        QVERIFY(service.startWith({ "a;ontop", "ab c;sticky", "x\\;y;no_title" }));
        const ToolRun zsh
            = runProgram("zsh",
                         { "-f", "-c",
                           "compadd() { shift; print -rl -- ${(P)1}; }; words=(\"$1\"); "
                           "eval \"$(sed -n '/^_kivo_admin_winprops_names()/,/^}/p' \"$2\")\"; "
                           "_kivo_admin_winprops_names",
                           "zsh", KIVO_ADMIN_WINPROPS, KIVO_ZSH_COMPLETION });
        QCOMPARE(zsh.exitCode, 0);
        QCOMPARE(zsh.out.split('\n', Qt::SkipEmptyParts), QStringList({ "a", "ab c", "x;y" }));
    }

    // A new option of the tool that a completion does not offer shows here.
    void completionsOfferEveryOption()
    {
        const ToolRun help = runTool({ "--help" }, environmentWithoutDisplay());
        QCOMPARE(help.exitCode, 0);
        const QStringList options = longOptionsIn(help.out);
        QCOMPARE(longOptionsIn(bashOffers({ "--" }).join(QLatin1Char(' '))), options);
        QFile zsh(QStringLiteral(KIVO_ZSH_COMPLETION));
        QVERIFY(zsh.open(QIODevice::ReadOnly));
        QCOMPARE(longOptionsIn(QString::fromUtf8(zsh.readAll())), options);
    }
};

KIVO_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
