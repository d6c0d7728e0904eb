// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSSTORE_H
#define KIVO_WINPROPSSTORE_H

#include "platform/winprops/winprops.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <QDeadlineTimer>

#include <memory>
#include <optional>
#include <sys/types.h>

// A line of the storage file that could not be read as a record, kept byte for byte.
struct RejectedLine
{
    // 0: the whole file, which is not a storage file at all.
    int number = 0;
    QByteArray text;
    QString reason;
};

struct StorageContents
{
    WinPropsList records;
    QList<RejectedLine> rejected;
};

// Reads the storage file's contents: one record text per line, UTF-8. Empty lines are skipped;
// lines that are not valid UTF-8, not a valid record or repeat an earlier window name are
// rejected, never dropped.
StorageContents parseStorage(const QByteArray &contents);
// Why these contents, read as parsed, are not a storage file at all, or a null string: they hold
// a NUL byte, or more than half of their non-empty lines cannot be read as records.
QString foreignFileProblem(const QByteArray &contents, const StorageContents &parsed);

// The most bytes one D-Bus array may hold (libdbus's limit): a reply with a longer one is
// refused by the bus.
constexpr qint64 MaxWireArraySize = qint64(1) << 26;
// The bytes the records take in a D-Bus array of records: what its length field would say.
qint64 wireSize(const WinPropsList &records);

// A shadow or transparency above 100 means not set; stored as such.
WinProps normalized(WinProps props);
// Why a window name cannot be stored, or a null string.
QString nameProblem(const QString &name);
// Why a record cannot be stored, or a null string.
QString recordProblem(const WinProps &props);
// Where each window name stands in a collection.
using NameIndex = QHash<QString, int>;
NameIndex nameIndexOf(const WinPropsList &records);
// Why a whole collection cannot be stored (a bad record, a repeated name), or a null string.
// stored, with storedIndex its name index: a collection known to be storable; a record equal to
// the one of its name in it is not checked again, wherever it stands. indexOfName, when given,
// receives the name index of records.
QString listProblem(const WinPropsList &records, const WinPropsList &stored = {},
                    const NameIndex &storedIndex = {}, NameIndex *indexOfName = nullptr);

// What tells one version of the file from another without reading it.
struct FileStamp
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modifiedNs = 0;

    bool operator==(const FileStamp &other) const;
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};

// The file that holds the collection: a regular file, or a symbolic link to one, or none yet.
// Every save replaces it atomically and completely or not at all, keeping its owner and mode; a
// new file is private to the user, and so are the folders created for it.
class WinPropsStore
{
public:
    // Twice what one reply can carry, since escapes can double a record's text.
    static constexpr qint64 MaxFileSize = qint64(1) << 27;

    explicit WinPropsStore(const QString &path);

    // $XDG_CONFIG_HOME/kivo/winprops
    static QString defaultPath();
    QString path() const { return m_path; }

    // A missing file is an empty collection; a file that is not a storage file at all comes as
    // one rejected line numbered 0 and no records. False when the path is no regular file, is
    // larger than MaxFileSize or cannot be read.
    bool load(StorageContents &contents, QString &errorMessage);
    // Refuses to replace a file that changed since this store last read or wrote it.
    bool save(const WinPropsList &records, QString &errorMessage);
    // Whether the file is not the one this store last read or wrote.
    bool changedOnDisk() const;
    // Whether the file was there when this store last read or wrote it.
    bool fileExisted() const { return m_known && m_known->exists; }
    // Writes the rejected lines to a new file beside the storage, which no save touches; returns
    // its path, or a null string with errorMessage set.
    QString keepRejected(const QList<RejectedLine> &rejected, QString &errorMessage) const;

    // What was appended, whole lines, to the files saves replaced: a writer that opened the file
    // just before the rename writes into the replaced one. Each is looked at for a while after.
    QByteArray lateAppends();
    bool watchesReplacedFiles() const { return !m_replaced.isEmpty() || !m_earlyAppends.isEmpty(); }

private:
    // The file a save replaces: the path, or where its symbolic link leads.
    bool resolveTarget(QString &target, QString &errorMessage) const;
    bool writeCopy(const QString &target, const QByteArray &contents, QString &copyPath,
                   QString &errorMessage);

    // A file a save replaced, still open, and how much of it was known.
    struct ReplacedFile
    {
        std::shared_ptr<const int> descriptor;
        off_t knownSize = 0;
        QDeadlineTimer watchedUntil;
    };
    void keepReplaced(int descriptor);
    // Whether the open file is the one last read or written with lines appended, and nothing else
    // changed.
    bool onlyAppendedTo(int fd) const;
    // What was appended to it since last looked at; whole lines unless last.
    static QByteArray takeTail(ReplacedFile &file, bool last, qint64 room);

    QString m_path;
    // Unknown until the first load or save.
    std::optional<FileStamp> m_known;
    // Of the contents last read or written.
    QByteArray m_knownHash;
    QList<ReplacedFile> m_replaced;
    // Taken from replaced files let go early, not yet handed out by lateAppends.
    QByteArray m_earlyAppends;
};

#endif
