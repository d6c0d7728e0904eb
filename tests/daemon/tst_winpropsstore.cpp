// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon/winpropsstore.h"
#include "platform/winprops/recordlines.h"
#include "tests/common/filetestutil.h"
#include "tests/common/testenvironment.h"
#include "tests/common/testrecords.h"
#include "tests/daemon/winpropsstorewriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QList<int> lineNumbers(const QList<RejectedLine> &rejected)
{
    QList<int> numbers;
    for (const RejectedLine &line : rejected)
        numbers.append(line.number);
    return numbers;
}

WinPropsList oddRecords()
{
    WinProps escapes = named(QStringLiteral("a;b=c\\d"));
    escapes.small_image = QStringLiteral("x;y=z\\");
    escapes.shadow = 0;
    WinProps spaces = named(QStringLiteral("  "));
    spaces.large_image = QStringLiteral(" icon ");
    spaces.transparency = 100;
    WinProps unicode = named(QStringLiteral("Привет 世界 🪟"));
    unicode.geometry = QStringLiteral("640x480-10+-5");
    unicode.focus_on_click = true;
    return { escapes, spaces, unicode, named(QStringLiteral("bare")) };
}

} // namespace

class TestWinPropsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<QList<int>>("rejectedLines");
        QTest::newRow("empty") << QByteArray() << QStringList() << QList<int>();
        QTest::newRow("no final newline")
            << QByteArray("xterm;no_title") << QStringList { "xterm;no_title" } << QList<int>();
        QTest::newRow("empty lines skipped, still counted")
            << QByteArray("\n\na\n\nb;nokey\n") << QStringList { "a" } << QList<int> { 5 };
        QTest::newRow("canonical form") << QByteArray("a;shadow=5;ontop=yes;no_pager=0\n")
                                        << QStringList { "a;ontop;shadow=5" } << QList<int>();
        QTest::newRow("bad record")
            << QByteArray("a\nb;shadow=101\nc\n") << QStringList { "a", "c" } << QList<int> { 2 };
        QTest::newRow("repeated name") << QByteArray("a;ontop\nb\na;sticky\n")
                                       << QStringList { "a;ontop", "b" } << QList<int> { 3 };
        QTest::newRow("not UTF-8")
            << QByteArray("a\n\xff\xfe;ontop\nb\n") << QStringList { "a", "b" } << QList<int> { 2 };
        QTest::newRow("CR LF and a byte-order mark, as some editors save")
            << QByteArray("\xEF\xBB\xBF"
                          "a;ontop\r\n\r\nb\n")
            << QStringList { "a;ontop", "b" } << QList<int>();
        QTest::newRow("blank name is a name")
            << QByteArray("  ;sticky\n") << QStringList { "  ;sticky" } << QList<int>();
        QTest::newRow("escapes and non-ASCII")
            << QByteArray("x\\;y\\=z\\\\;small_image=\\;\nПривет 世界;transparency=7\n")
            << QStringList { "x\\;y\\=z\\\\;small_image=\\;", "Привет 世界;transparency=7" }
            << QList<int>();
        QTest::newRow("escaped control characters refused")
            << QByteArray("a\\nb;ontop\nc;small_image=\\t\nd\\u2028\n")
            << QStringList { "d\\u2028" } << QList<int> { 1, 2 };
        QTest::newRow("name too long") << QByteArray(WinProps::MaxTextLength + 1, 'n') + "\nok\n"
                                       << QStringList { "ok" } << QList<int> { 1 };
        QTest::newRow("all bad") << QByteArray(";a\n\\\nb;;\n") << QStringList()
                                 << QList<int> { 1, 2, 3 };
    }

    void parse()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, records);
        QFETCH(QList<int>, rejectedLines);
        const StorageContents parsed = parseStorage(contents);
        QCOMPARE(textsOf(parsed.records), records);
        QCOMPARE(lineNumbers(parsed.rejected), rejectedLines);
        const QList<QByteArray> lines = contents.split('\n');
        for (const RejectedLine &line : parsed.rejected) {
            QCOMPARE(line.text, lines.at(line.number - 1));
            QVERIFY(!line.reason.isEmpty());
        }
    }

    void serializeRoundTrip()
    {
        const WinPropsList records = oddRecords();
        const QByteArray contents = recordLines(records);
        QCOMPARE(contents.count('\n'), records.size());
        const StorageContents parsed = parseStorage(contents);
        QVERIFY(parsed.rejected.isEmpty());
        QCOMPARE(parsed.records, records);
        QCOMPARE(textsOf(parsed.records), textsOf(records));
    }

    void normalizedNumbers_data()
    {
        QTest::addColumn<quint32>("given");
        QTest::addColumn<quint32>("stored");
        QTest::newRow("0") << 0u << 0u;
        QTest::newRow("100") << 100u << 100u;
        QTest::newRow("101") << 101u << WinProps::NotSet;
        QTest::newRow("-2") << 0xFFFFFFFEu << WinProps::NotSet;
        QTest::newRow("not set") << WinProps::NotSet << WinProps::NotSet;
    }

    void normalizedNumbers()
    {
        QFETCH(quint32, given);
        QFETCH(quint32, stored);
        WinProps props = named(QStringLiteral("a"));
        props.shadow = given;
        props.transparency = given;
        const WinProps result = normalized(props);
        QCOMPARE(result.shadow, stored);
        QCOMPARE(result.transparency, stored);
    }

    void listProblem_data()
    {
        QTest::addColumn<WinPropsList>("records");
        QTest::addColumn<QStringList>("problemParts");
        WinProps newline = named(QStringLiteral("a\nb"));
        WinProps tabImage = named(QStringLiteral("a"));
        tabImage.small_image = QStringLiteral("x\ty");
        WinProps escapeGeometry = named(QStringLiteral("a"));
        escapeGeometry.large_image = QStringLiteral("x");
        escapeGeometry.geometry = QStringLiteral("\x1b");
        WinProps badGeometry = named(QStringLiteral("a"));
        badGeometry.geometry = QStringLiteral("640x480");
        WinProps highShadow = named(QStringLiteral("a"));
        highShadow.shadow = 500;
        QTest::newRow("empty list") << WinPropsList() << QStringList();
        QTest::newRow("odd but fine") << oddRecords() << QStringList();
        QTest::newRow("shadow above 100 is not set")
            << WinPropsList { highShadow } << QStringList();
        QTest::newRow("empty name") << WinPropsList { named("a"), named(QString()) }
                                    << QStringList { "Record 2:", "name is empty" };
        QTest::newRow("repeated name") << WinPropsList { named("a"), named("b"), named("a") }
                                       << QStringList { "Record 3:", "\"a\"", "record 1" };
        QTest::newRow("control character in name")
            << WinPropsList { named("a"), newline } << QStringList { "Record 2:", "U+000a" };
        QTest::newRow("control character in image")
            << WinPropsList { tabImage } << QStringList { "Record 1:", "U+0009" };
        QTest::newRow("control character in geometry")
            << WinPropsList { escapeGeometry } << QStringList { "U+001b" };
        QTest::newRow("geometry") << WinPropsList { badGeometry } << QStringList { "640x480" };
    }

    void listProblem()
    {
        QFETCH(WinPropsList, records);
        QFETCH(QStringList, problemParts);
        const QString problem = ::listProblem(records);
        QCOMPARE(problem.isNull(), problemParts.isEmpty());
        for (const QString &part : problemParts)
            QVERIFY2(problem.contains(part), qPrintable(problem));
    }

    // Records equal to the stored ones are taken as storable; any other is checked.
    void listProblemChecksWhatChanged()
    {
        WinProps badGeometry = named(QStringLiteral("b"));
        badGeometry.geometry = QStringLiteral("640x480");
        WinProps renamed = named(QStringLiteral("a\tb"));
        renamed.ontop = true;
        WinProps a = named(QStringLiteral("a"));
        a.ontop = true;
        const WinPropsList stored = { a, named(QStringLiteral("b")) };
        QVERIFY(::listProblem(stored, stored).isNull());
        QVERIFY(::listProblem(WinPropsList { a, badGeometry }, stored)
                    .startsWith(QLatin1String("Record 2:")));
        QVERIFY(::listProblem(WinPropsList { renamed }, stored).contains(QLatin1String("U+0009")));
        QVERIFY(::listProblem(WinPropsList { a, a }, stored).contains(QLatin1String("record 1")));
    }

    // The store checks a record without writing and reading its record text where it can; its
    // verdict and message must be those of the round trip all the same. Control characters in
    // values read back as escapes, but the store refuses them.
    void recordProblemAgreesWithRoundTrip_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("value");
        const QStringList images = { "small_image", "large_image" };
        for (const QString &image : images) {
            QTest::addRow("%s plain", qPrintable(image)) << image << "utilities-terminal";
            QTest::addRow("%s escapes", qPrintable(image)) << image << "a;b=c\\d\\";
            QTest::addRow("%s unicode and DEL", qPrintable(image)) << image << "Ωmega\x7f";
            QTest::addRow("%s tab", qPrintable(image)) << image << "x\ty";
            QTest::addRow("%s escape last", qPrintable(image)) << image << "x\x1b";
        }
        const QStringList geometries
            = { "640x480+0+0",  "0x0-0-0",      "4294967295x1+-5+-5", "640x480",
                "640x480+0+0 ", " 640x480+0+0", "640X480+0+0",        "640x480+0+0;x",
                "640x480+0+\n", "\x01",         "６４０x480+0+0",     "640x480++0+0" };
        for (const QString &geometry : geometries)
            QTest::addRow("geometry \"%s\"", qPrintable(geometry)) << "geometry" << geometry;
    }

    void recordProblemAgreesWithRoundTrip()
    {
        QFETCH(QString, member);
        QFETCH(QString, value);
        WinProps props = named(QStringLiteral("window"));
        props.shadow = 400;
        QString *text = member == QLatin1String("geometry") ? &props.geometry
            : member == QLatin1String("small_image")        ? &props.small_image
                                                            : &props.large_image;
        *text = value;
        const WinProps readBack(props.toString());
        const QString problem = recordProblem(props);
        const bool control
            = std::any_of(value.cbegin(), value.cend(), [](QChar c) { return c.unicode() < 0x20; });
        QCOMPARE(problem.isNull(), readBack.isValid() && !control);
        if (control)
            QVERIFY2(problem.contains("control character"), qPrintable(problem));
        else if (!readBack.isValid())
            QVERIFY2(problem.endsWith(readBack.errorString()), qPrintable(problem));
    }

    void defaultPath()
    {
        QCOMPARE(WinPropsStore::defaultPath(),
                 TestEnvironment::root() + QStringLiteral("/config/kivo/winprops"));
    }

    void loadMissingFileIsEmpty()
    {
        StorageContents contents;
        contents.records = oddRecords();
        QString errorMessage;
        QVERIFY(
            WinPropsStore(m_dir->filePath(QStringLiteral("missing"))).load(contents, errorMessage));
        QVERIFY(contents.records.isEmpty());
        QVERIFY(contents.rejected.isEmpty());
    }

    void loadUnreadable()
    {
        StorageContents contents;
        QString errorMessage;
        QVERIFY(!WinPropsStore(m_dir->path()).load(contents, errorMessage));
        QVERIFY(errorMessage.contains(m_dir->path()));
    }

    void saveAndLoad()
    {
        WinPropsStore store(m_dir->filePath(QStringLiteral("winprops")));
        QString errorMessage;
        QVERIFY2(store.save(oddRecords(), errorMessage), qPrintable(errorMessage));
        StorageContents contents;
        QVERIFY(store.load(contents, errorMessage));
        QCOMPARE(contents.records, oddRecords());
        QVERIFY2(store.save({}, errorMessage), qPrintable(errorMessage));
        QCOMPARE(contentsOf(store.path()), QByteArray());
    }

    void saveCreatesPrivateFileAndFolders()
    {
        QVERIFY(QFile::setPermissions(m_dir->path(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                          | QFileDevice::ExeGroup));
        const QString path = m_dir->filePath(QStringLiteral("outer/inner/winprops"));
        WinPropsStore store(path);
        QString errorMessage;
        QVERIFY2(store.save(oddRecords(), errorMessage), qPrintable(errorMessage));
        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(modeOf(m_dir->filePath(QStringLiteral("outer/inner"))), 0700);
        QCOMPARE(modeOf(m_dir->filePath(QStringLiteral("outer"))), 0700);
        QCOMPARE(modeOf(m_dir->path()), 0750);
        QVERIFY2(store.save({ named(QStringLiteral("again")) }, errorMessage),
                 qPrintable(errorMessage));
        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(QDir(m_dir->filePath(QStringLiteral("outer/inner"))).entryList(QDir::Files),
                 QStringList { "winprops" });
    }

    void failedSaveChangesNothing()
    {
        const QString blocker = m_dir->filePath(QStringLiteral("file"));
        writeContents(blocker, "not a folder\n");
        QString errorMessage;
        QVERIFY(
            !WinPropsStore(blocker + QStringLiteral("/winprops")).save(oddRecords(), errorMessage));
        QVERIFY(errorMessage.contains(blocker));
        QCOMPARE(contentsOf(blocker), QByteArray("not a folder\n"));

        const QString folder = m_dir->filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkdir(folder));
        errorMessage.clear();
        QVERIFY(!WinPropsStore(folder).save(oddRecords(), errorMessage));
        QVERIFY(!errorMessage.isEmpty());
        QVERIFY(QFileInfo(folder).isDir());
    }

    void killedWriterLeavesOldOrNew()
    {
        const int size = 3000;
        const QByteArray collections[]
            = { recordLines(writerCollection(0, size)), recordLines(writerCollection(1, size)) };
        const QString path = m_dir->filePath(QStringLiteral("winprops"));
        for (int round = 0; round < 12; ++round) {
            QProcess writer;
            writer.start(QStringLiteral(KIVO_STORE_WRITER), { path, QString::number(size) });
            QVERIFY(writer.waitForStarted());
            // Kill after a varying number of saves, somewhere inside the next one.
            int saves = 0;
            while (saves <= round % 4) {
                QVERIFY(writer.waitForReadyRead(10000));
                saves += writer.readAll().count('\n');
            }
            writer.kill();
            QVERIFY(writer.waitForFinished());
            const QByteArray contents = contentsOf(path);
            QVERIFY2(contents == collections[0] || contents == collections[1],
                     qPrintable(QStringLiteral("round %1: a torn file of %2 bytes")
                                    .arg(round)
                                    .arg(contents.size())));
        }
    }

    // Anything but a regular file, or a link to one, is refused at once: reading a named pipe
    // would block, reading a device would not end.
    void refusesWhatIsNoRegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("saveRefused");
        QTest::newRow("folder") << "folder"
                                << "a folder" << true;
        QTest::newRow("named pipe") << "pipe"
                                    << "a named pipe" << true;
        QTest::newRow("link to /dev/zero") << "zero link"
                                           << "a device" << true;
        QTest::newRow("link to nothing") << "dangling link"
                                         << "symbolic link to nothing" << true;
        QTest::newRow("larger than a storage can be") << "sparse"
                                                      << "larger than" << false;
    }

    void refusesWhatIsNoRegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QFETCH(bool, saveRefused);
        const QString path = m_dir->filePath(QStringLiteral("winprops"));
        writeContents(path, "a;ontop\n");
        if (kind != QLatin1String("sparse"))
            QVERIFY(QFile::remove(path));
        QVERIFY(makeFileOfKind(path, kind, WinPropsStore::MaxFileSize + 1));
        WinPropsStore store(path);
        StorageContents contents;
        QString errorMessage;
        QVERIFY(!store.load(contents, errorMessage));
        QVERIFY2(errorMessage.contains(reason) && errorMessage.contains(path),
                 qPrintable(errorMessage));
        errorMessage.clear();
        QCOMPARE(!store.save(oddRecords(), errorMessage), saveRefused);
        QCOMPARE(errorMessage.isEmpty(), !saveRefused);
    }

    // A file most of whose lines are no records is kept aside whole, byte for byte, and not
    // loaded: its next save would replace it with the few lines that read.
    void foreignFileSetAsideWhole_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("foreign");
        QTest::newRow("binary") << QByteArray("\x7f"
                                              "ELF\x02\x01\x01\0\0\0\nxterm;ontop\n",
                                              22)
                                << true;
        QTest::newRow("binary without NUL bytes")
            << QByteArray("\xff\xfe\x80\n\x81;\x82\nxterm;ontop\n") << true;
        QTest::newRow("shell script") << QByteArray("#!/bin/sh\nif [ -x /usr/bin/xterm ]; then\n"
                                                    "\texec xterm -e top\n\techo done\nfi\n")
                                      << true;
        QTest::newRow("names that set nothing") << QByteArray("a\nkeep;ontop\nb\n") << false;
        QTest::newRow("half the lines damaged")
            << QByteArray("a;ontop\nb;ontop=maybe\n\n\n") << false;
        QTest::newRow("empty lines only") << QByteArray("\n\n") << false;
    }

    void foreignFileSetAsideWhole()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, foreign);
        WinPropsStore store(m_dir->filePath(QStringLiteral("winprops")));
        writeContents(store.path(), contents);
        StorageContents loaded;
        QString errorMessage;
        QVERIFY(store.load(loaded, errorMessage));
        if (!foreign) {
            QVERIFY(!loaded.records.isEmpty() || contents.trimmed().isEmpty());
            QVERIFY(!lineNumbers(loaded.rejected).contains(0));
            return;
        }
        QVERIFY(loaded.records.isEmpty());
        QCOMPARE(lineNumbers(loaded.rejected), QList<int> { 0 });
        QVERIFY(!loaded.rejected.first().reason.isEmpty());
        const QString side = store.keepRejected(loaded.rejected, errorMessage);
        QVERIFY2(!side.isNull(), qPrintable(errorMessage));
        QCOMPARE(contentsOf(side), contents);
    }

    // Whoever owns the file keeps it, with its mode; a link stays a link to the file replaced.
    void saveKeepsOwnerModeAndLink_data()
    {
        QTest::addColumn<uint>("owner");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("own file, readable by all") << uint(::geteuid()) << 0644 << false;
        QTest::newRow("another user's file") << 65534u << 0640 << false;
        QTest::newRow("through a symbolic link") << uint(::geteuid()) << 0600 << true;
    }

    void saveKeepsOwnerModeAndLink()
    {
        QFETCH(uint, owner);
        QFETCH(int, mode);
        QFETCH(bool, throughLink);
        if (owner != ::geteuid() && ::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        const QString file = m_dir->filePath(QStringLiteral("dotfiles-winprops"));
        const QString path = throughLink ? m_dir->filePath(QStringLiteral("winprops")) : file;
        writeContents(file, "old;ontop\n");
        QCOMPARE(::chown(QFile::encodeName(file).constData(), owner, gid_t(-1)), 0);
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), mode_t(mode)), 0);
        if (throughLink)
            QVERIFY(QFile::link(file, path));
        WinPropsStore store(path);
        QString errorMessage;
        QVERIFY2(store.save(oddRecords(), errorMessage), qPrintable(errorMessage));
        QCOMPARE(contentsOf(file), recordLines(oddRecords()));
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
        QCOMPARE(uint(status.st_uid), owner);
        QCOMPARE(modeOf(file), mode);
        QCOMPARE(QFileInfo(path).isSymLink(), throughLink);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::System).size(),
                 throughLink ? 2 : 1);
    }

    // A file changed behind the store's back since it read or wrote it is not replaced.
    void saveRefusesFileChangedOnDisk_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("rewritten in place") << "in place";
        QTest::newRow("replaced by an editor") << "replaced";
        QTest::newRow("removed") << "removed";
        QTest::newRow("created after a load found none") << "created";
    }

    void saveRefusesFileChangedOnDisk()
    {
        QFETCH(QString, change);
        WinPropsStore store(m_dir->filePath(QStringLiteral("winprops")));
        const QByteArray edited("hand;sticky\n");
        QString errorMessage;
        if (change != QLatin1String("created"))
            QVERIFY2(store.save({ named(QStringLiteral("mine")) }, errorMessage),
                     qPrintable(errorMessage));
        StorageContents contents;
        QVERIFY(store.load(contents, errorMessage));
        QVERIFY(!store.changedOnDisk());
        if (change == QLatin1String("in place")) {
            // Longer than before, so that only what it holds tells it from lines appended.
            QFile file(store.path());
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QByteArray rewritten = edited + file.readAll();
            QVERIFY(file.seek(0) && file.write(rewritten) == rewritten.size());
        } else if (change == QLatin1String("replaced")) {
            writeContents(store.path() + QStringLiteral("~"), edited);
            QVERIFY(::rename(QFile::encodeName(store.path() + QStringLiteral("~")).constData(),
                             QFile::encodeName(store.path()).constData())
                    == 0);
        } else if (change == QLatin1String("removed")) {
            QVERIFY(QFile::remove(store.path()));
        } else {
            writeContents(store.path(), edited);
        }
        const QByteArray onDisk = contentsOf(store.path());
        QVERIFY(store.changedOnDisk());
        QVERIFY(!store.save(oddRecords(), errorMessage));
        QVERIFY2(errorMessage.contains(QLatin1String("changed")), qPrintable(errorMessage));
        QCOMPARE(contentsOf(store.path()), onDisk);
        QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).size() <= 1);
        // Read again, it is the store's to replace.
        QVERIFY(store.load(contents, errorMessage));
        QVERIFY2(store.save(oddRecords(), errorMessage), qPrintable(errorMessage));
    }

    // Lines appended to the file since it was read are no reason to refuse: the save replaces
    // it, and the lines are handed out as appended late.
    void linesAppendedMeanwhileAreTakenUp()
    {
        WinPropsStore store(m_dir->filePath(QStringLiteral("winprops")));
        QString errorMessage;
        QVERIFY(store.save({ named(QStringLiteral("mine")) }, errorMessage));
        QFile file(store.path());
        QVERIFY(file.open(QIODevice::Append));
        QVERIFY(file.write("hand;sticky\n") == 12);
        file.close();
        QVERIFY(store.changedOnDisk());
        QVERIFY2(store.save(oddRecords(), errorMessage), qPrintable(errorMessage));
        QCOMPARE(store.lateAppends(), QByteArray("hand;sticky\n"));
    }

    void rejectedLinesKeptAside()
    {
        const QByteArray original(
            "good;ontop\nbad;nokey\n\xff\nxterm;sticky\nxterm;ontop\nc;no_title\n");
        WinPropsStore store(m_dir->filePath(QStringLiteral("winprops")));
        writeContents(store.path(), original);
        StorageContents contents;
        QString errorMessage;
        QVERIFY(store.load(contents, errorMessage));
        QCOMPARE(lineNumbers(contents.rejected), (QList<int> { 2, 3, 5 }));

        const QString first = store.keepRejected(contents.rejected, errorMessage);
        QVERIFY2(!first.isNull(), qPrintable(errorMessage));
        QVERIFY(first.startsWith(store.path() + QStringLiteral(".rejected-")));
        const QByteArray kept("bad;nokey\n\xff\nxterm;ontop\n");
        QCOMPARE(contentsOf(first), kept);
        QCOMPARE(modeOf(first), 0600);

        const QString second = store.keepRejected({ contents.rejected.first() }, errorMessage);
        QVERIFY2(!second.isNull(), qPrintable(errorMessage));
        QVERIFY(second != first);
        QCOMPARE(contentsOf(second), QByteArray("bad;nokey\n"));

        QVERIFY(store.save(contents.records, errorMessage));
        QCOMPARE(contentsOf(store.path()), QByteArray("good;ontop\nxterm;sticky\nc;no_title\n"));
        QCOMPARE(contentsOf(first), kept);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>(TestEnvironment::root()
                                                + QStringLiteral("/store-XXXXXX"));
        QVERIFY(m_dir->isValid());
    }

    void cleanup() { m_dir.reset(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

KIVO_TEST_MAIN_WITHOUT_BUS(TestWinPropsStore)
#include "tst_winpropsstore.moc"
