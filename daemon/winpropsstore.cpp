// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon/winpropsstore.h"

#include "platform/winprops/geometrystring.h"
#include "platform/winprops/recordlines.h"
#include "platform/winprops/winpropsfields.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("WinPropsStore", text);
}

constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString errnoText()
{
    return QString::fromLocal8Bit(strerror(errno));
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString cannotWrite(const QString &path, const QString &reason)
{
    return tr("Cannot write %1: %2").arg(native(path), reason);
}

// Closes the descriptor it holds unless told to close it earlier.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor() { close(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

FileStamp stampOf(const struct stat &status)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = status.st_dev;
    stamp.inode = status.st_ino;
    stamp.size = status.st_size;
    stamp.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return stamp;
}

// Following symbolic links; a path that cannot be looked at counts as missing.
FileStamp stampAt(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return stampOf(status);
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return tr("a folder");
    if (S_ISFIFO(mode))
        return tr("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return tr("a device");
    if (S_ISSOCK(mode))
        return tr("a socket");
    return tr("no regular file");
}

bool isSymLink(const QString &path)
{
    struct stat status = {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

// Reads to the end, but no more than limit bytes: false with errno EFBIG beyond it.
bool readAtMost(int fd, qint64 limit, QByteArray &contents)
{
    constexpr qint64 chunk = 1 << 16;
    for (;;) {
        const qint64 used = contents.size();
        contents.resize(int(std::min(used + chunk, limit + 1)));
        const ssize_t got = ::read(fd, contents.data() + used, size_t(contents.size() - used));
        if (got < 0 && errno == EINTR) {
            contents.resize(int(used));
            continue;
        }
        contents.resize(int(used + std::max<ssize_t>(got, 0)));
        if (got < 0)
            return false;
        if (contents.size() > limit) {
            errno = EFBIG;
            return false;
        }
        if (got == 0)
            return true;
    }
}

// A short write without an error is a full disk.
bool writeAll(int fd, const QByteArray &contents)
{
    const char *next = contents.constData();
    qint64 left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

// The copy that replaces a file takes over its owner and mode, so that its owner keeps access.
bool takeOwnerAndMode(int fd, const QString &original)
{
    struct stat wanted = {};
    if (::stat(QFile::encodeName(original).constData(), &wanted) != 0)
        return errno == ENOENT;
    struct stat copy = {};
    if (::fstat(fd, &copy) != 0)
        return false;
    if ((copy.st_uid != wanted.st_uid || copy.st_gid != wanted.st_gid)
        && ::fchown(fd, wanted.st_uid, wanted.st_gid) != 0)
        return false;
    return ::fchmod(fd, wanted.st_mode & 07777) == 0;
}

// Makes a rename durable; it cannot be undone if this fails, so failures are not reported.
void syncFolder(const QString &folder)
{
    const int fd
        = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool isUtf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Creates the folder and any missing parents with mode 0700; folders that exist stay as they are.
bool makePrivateFolder(const QString &path, QString &errorMessage)
{
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makePrivateFolder(parent, errorMessage))
        return false;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST)
        return true;
    errorMessage = tr("Cannot create the folder %1: %2").arg(native(path), errnoText());
    return false;
}

QString quotedName(const QString &name)
{
    WinProps named;
    named.setWinName(name);
    return QLatin1Char('"') + named.toString() + QLatin1Char('"');
}

// Where the first control character of text is, or -1.
int controlCharacterIndex(const QString &text)
{
    const auto found
        = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20; });
    return found == text.cend() ? -1 : int(found - text.cbegin());
}

// Whether the record text of a record with a usable name and usable values reads back: it can
// fail only on a geometry that does not parse.
bool surelyReadsBack(const WinProps &props)
{
    const auto &fields = winPropsFields();
    return std::all_of(fields.cbegin(), fields.cend(), [&props](const WinPropsField &field) {
        return field.kind != WinPropsKind::Geometry || (props.*field.text).isEmpty()
            || parseGeometryString(props.*field.text);
    });
}

QString valueLengthProblem(const WinProps &props)
{
    for (const WinPropsField &field : winPropsFields()) {
        if (field.text && (props.*field.text).size() > WinProps::MaxTextLength)
            return tr("The value of \"%1\" is %2 characters long; at most %3 are allowed.")
                .arg(field.key())
                .arg((props.*field.text).size())
                .arg(WinProps::MaxTextLength);
    }
    return {};
}

constexpr qint64 alignedTo(qint64 offset, qint64 alignment)
{
    return (offset + alignment - 1) / alignment * alignment;
}

// Counted from UTF-16 without converting; a lone surrogate counts as the three bytes of U+FFFD.
qint64 utf8Length(const QString &text)
{
    qint64 length = 0;
    for (int i = 0; i < text.size(); ++i) {
        const ushort unit = text.at(i).unicode();
        if (unit < 0x80) {
            length += 1;
        } else if (unit < 0x800) {
            length += 2;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size()
                   && text.at(i + 1).isLowSurrogate()) {
            length += 4;
            ++i;
        } else {
            length += 3;
        }
    }
    return length;
}

// A string is a 4-byte length, the bytes and a NUL; it and a boolean or number start at a
// multiple of 4.
qint64 afterString(qint64 offset, const QString &text)
{
    return alignedTo(offset, 4) + 4 + utf8Length(text) + 1;
}

qint64 afterWord(qint64 offset)
{
    return alignedTo(offset, 4) + 4;
}

// A line as editors may save it: a byte-order mark before the first, CR LF at the end.
QByteArray withoutMarks(QByteArray line, bool first)
{
    const QByteArray byteOrderMark("\xEF\xBB\xBF");
    if (first && line.startsWith(byteOrderMark))
        line.remove(0, byteOrderMark.size());
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

qint64 wireSize(const WinPropsList &records)
{
    // Every struct starts at a multiple of 8, and the array's length leaves out the padding
    // before the first. Its members are the name and the properties in the table's order.
    qint64 offset = 0;
    for (const WinProps &props : records) {
        offset = afterString(alignedTo(offset, 8), props.winName());
        for (const WinPropsField &field : winPropsFields())
            offset = field.text ? afterString(offset, props.*field.text) : afterWord(offset);
    }
    return offset;
}

StorageContents parseStorage(const QByteArray &contents)
{
    StorageContents result;
    QHash<QString, int> lineOfName;
    const QList<QByteArray> lines = contents.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        // Kept aside as it was, marks and all.
        const QByteArray &raw = lines.at(i);
        const QByteArray line = withoutMarks(raw, i == 0);
        const int number = i + 1;
        if (line.isEmpty())
            continue;
        if (!isUtf8(line)) {
            result.rejected.append({ number, raw, tr("The line is not valid UTF-8 text.") });
            continue;
        }
        const WinProps props(QString::fromUtf8(line));
        if (!props.isValid()) {
            result.rejected.append({ number, raw, props.errorString() });
        } else if (const QString problem = recordProblem(props); !problem.isNull()) {
            // Escaped control characters read back, but a stored record follows the same
            // rules as one that arrives.
            result.rejected.append({ number, raw, problem });
        } else if (lineOfName.contains(props.winName())) {
            result.rejected.append({ number, raw,
                                     tr("The window %1 is already on line %2.")
                                         .arg(quotedName(props.winName()))
                                         .arg(lineOfName.value(props.winName())) });
        } else {
            lineOfName.insert(props.winName(), number);
            result.records.append(normalized(props));
        }
    }
    return result;
}

WinProps normalized(WinProps props)
{
    for (const WinPropsField &field : winPropsFields()) {
        if (field.kind == WinPropsKind::Number && !field.isSet(props))
            field.reset(props);
    }
    return props;
}

QString nameProblem(const QString &name)
{
    if (name.isEmpty())
        return tr("The window name is empty.");
    if (name.size() > WinProps::MaxTextLength)
        return tr("The window name is %1 characters long; at most %2 are allowed.")
            .arg(name.size())
            .arg(WinProps::MaxTextLength);
    const int index = controlCharacterIndex(name);
    if (index >= 0)
        return tr("The window name %1 contains the control character U+%2.")
            .arg(quotedName(name))
            .arg(name.at(index).unicode(), 4, 16, QLatin1Char('0'));
    return {};
}

// Record texts can carry control characters as escapes, but the desktop reads the stored
// values as they are: keep them out of images and geometry.
QString valueProblem(const WinProps &props)
{
    for (const WinPropsField &field : winPropsFields()) {
        if (!field.text)
            continue;
        const QString &value = props.*field.text;
        const int index = controlCharacterIndex(value);
        if (index >= 0)
            return tr("A value contains the control character U+%1.")
                .arg(value.at(index).unicode(), 4, 16, QLatin1Char('0'));
    }
    return {};
}

QString recordProblem(const WinProps &props)
{
    QString problem = nameProblem(props.winName());
    if (problem.isNull())
        problem = valueLengthProblem(props);
    if (problem.isNull())
        problem = valueProblem(props);
    // The round trip through the record text is slow; only a record that it may refuse takes it,
    // for its message.
    if (problem.isNull() && !surelyReadsBack(props))
        problem = props.storageProblem();
    if (problem.isNull())
        return {};
    return tr("Window %1: %2").arg(quotedName(props.winName()), problem);
}

NameIndex nameIndexOf(const WinPropsList &records)
{
    NameIndex index;
    index.reserve(records.size());
    // Backwards, so that the first record of a name wins.
    for (int i = records.size() - 1; i >= 0; --i)
        index.insert(records.at(i).winName(), i);
    return index;
}

QString listProblem(const WinPropsList &records, const WinPropsList &stored,
                    const NameIndex &storedIndex, NameIndex *indexOut)
{
    NameIndex indexOfName;
    indexOfName.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        const WinProps &props = records.at(i);
        const int storedAt = storedIndex.value(props.winName(), -1);
        const bool known = storedAt >= 0 && stored.at(storedAt) == props;
        const QString problem = known ? QString() : recordProblem(props);
        if (!problem.isNull())
            return tr("Record %1: %2").arg(i + 1).arg(problem);
        if (indexOfName.contains(props.winName()))
            return tr("Record %1: the window %2 is given already as record %3.")
                .arg(i + 1)
                .arg(quotedName(props.winName()))
                .arg(indexOfName.value(props.winName()) + 1);
        indexOfName.insert(props.winName(), i);
    }
    if (indexOut)
        *indexOut = indexOfName;
    return {};
}

WinPropsStore::WinPropsStore(const QString &path)
    : m_path(path)
{
}

QString WinPropsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/kivo/winprops");
}

bool FileStamp::operator==(const FileStamp &other) const
{
    return exists == other.exists && device == other.device && inode == other.inode
        && size == other.size && modifiedNs == other.modifiedNs;
}

QString foreignFileProblem(const QByteArray &contents, const StorageContents &parsed)
{
    if (contents.contains('\0'))
        return tr("It holds NUL bytes, so it is no text file; it is not a window properties "
                  "file.");
    const int lines = parsed.records.size() + parsed.rejected.size();
    if (2 * parsed.rejected.size() <= lines)
        return {};
    return tr("%1 of its %2 lines are no window records; it is not a window properties file.")
        .arg(parsed.rejected.size())
        .arg(lines);
}

bool WinPropsStore::load(StorageContents &contents, QString &errorMessage)
{
    contents = StorageContents();
    // Not blocking: opening a named pipe for reading would wait for a writer.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && !isSymLink(m_path)) {
        m_known = FileStamp();
        return true;
    }
    const QString cannotRead = tr("Cannot read %1: %2").arg(native(m_path));
    if (fd < 0) {
        errorMessage = cannotRead.arg(errno == ENOENT ? tr("it is a symbolic link to nothing.")
                                                      : errnoText());
        return false;
    }
    Descriptor file(fd);
    struct stat status = {};
    if (::fstat(fd, &status) != 0) {
        errorMessage = cannotRead.arg(errnoText());
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        errorMessage
            = cannotRead.arg(tr("it is %1, not a regular file.").arg(kindOf(status.st_mode)));
        return false;
    }
    QByteArray bytes;
    if (!readAtMost(fd, MaxFileSize, bytes)) {
        errorMessage
            = cannotRead.arg(errno == EFBIG ? tr("it is larger than %1 bytes, more than a window "
                                                 "properties file can need.")
                                                  .arg(MaxFileSize)
                                            : errnoText());
        return false;
    }
    // The stamp from before reading: a change while reading shows as a change later.
    m_known = stampOf(status);
    // Of what the stamp covers: lines appended while reading count as appended later.
    m_knownHash = QCryptographicHash::hash(
        bytes.left(int(std::min<qint64>(status.st_size, bytes.size()))), QCryptographicHash::Sha1);
    contents = parseStorage(bytes);
    const QString foreign = foreignFileProblem(bytes, contents);
    if (!foreign.isNull())
        contents = { {}, { { 0, bytes, foreign } } };
    return true;
}

bool WinPropsStore::save(const WinPropsList &records, QString &errorMessage)
{
    QString target;
    if (!resolveTarget(target, errorMessage)
        || !makePrivateFolder(QFileInfo(target).path(), errorMessage))
        return false;
    // As with any file: one its owner made read-only is not to be replaced.
    struct stat status = {};
    if (::stat(QFile::encodeName(target).constData(), &status) == 0
        && !(status.st_mode & S_IWUSR)) {
        errorMessage = tr("Not writing %1: it is read-only; make it writable to store changes.")
                           .arg(native(m_path));
        return false;
    }
    QString copy;
    const QByteArray contents = recordLines(records);
    if (!writeCopy(target, contents, copy, errorMessage))
        return false;
    const QByteArray encodedCopy = QFile::encodeName(copy);
    const FileStamp written = stampAt(copy);
    // Opened before the check, so that whatever is appended to it after the check can be found.
    const int replaced = ::open(QFile::encodeName(target).constData(),
                                O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    // Lines only appended meanwhile are in the file replaced: they are taken up from there, as
    // those appended just after the rename.
    if (changedOnDisk() && !(replaced >= 0 && onlyAppendedTo(replaced))) {
        if (replaced >= 0)
            ::close(replaced);
        ::unlink(encodedCopy.constData());
        errorMessage = tr("Not writing %1: someone else changed it since it was last read.")
                           .arg(native(m_path));
        return false;
    }
    if (::rename(encodedCopy.constData(), QFile::encodeName(target).constData()) != 0) {
        const QString reason = errnoText();
        if (replaced >= 0)
            ::close(replaced);
        ::unlink(encodedCopy.constData());
        errorMessage = cannotWrite(target, reason);
        return false;
    }
    syncFolder(QFileInfo(target).path());
    if (replaced >= 0)
        keepReplaced(replaced);
    m_known = written;
    m_knownHash = QCryptographicHash::hash(contents, QCryptographicHash::Sha1);
    return true;
}

bool WinPropsStore::onlyAppendedTo(int fd) const
{
    struct stat status = {};
    if (!m_known || !m_known->exists || ::fstat(fd, &status) != 0)
        return false;
    const FileStamp now = stampOf(status);
    const FileStamp atPath = stampAt(m_path);
    if (now.device != m_known->device || now.inode != m_known->inode || now.size <= m_known->size
        || atPath.device != now.device || atPath.inode != now.inode)
        return false;
    QByteArray known(int(m_known->size), Qt::Uninitialized);
    return ::pread(fd, known.data(), size_t(known.size()), 0) == known.size()
        && QCryptographicHash::hash(known, QCryptographicHash::Sha1) == m_knownHash;
}

void WinPropsStore::keepReplaced(int descriptor)
{
    // Long enough for any writer that had the file open to finish a line.
    constexpr int watchedMs = 3000;
    // So that a burst of saves does not run out of open files: the oldest, long written to if
    // at all, is looked at once more and let go.
    constexpr int maxWatched = 16;
    if (m_replaced.size() >= maxWatched) {
        m_earlyAppends += takeTail(m_replaced.first(), true, MaxFileSize - m_earlyAppends.size());
        m_replaced.removeFirst();
    }
    const std::shared_ptr<const int> closing(new int(descriptor), [](const int *fd) {
        ::close(*fd);
        delete fd;
    });
    m_replaced.append({ closing, m_known ? m_known->size : 0, QDeadlineTimer(watchedMs) });
}

QByteArray WinPropsStore::takeTail(ReplacedFile &file, bool last, qint64 room)
{
    struct stat status = {};
    const int fd = *file.descriptor;
    if (::fstat(fd, &status) != 0 || status.st_size <= file.knownSize || room <= 0)
        return {};
    QByteArray tail(int(std::min<qint64>(status.st_size - file.knownSize, room)),
                    Qt::Uninitialized);
    const ssize_t got = ::pread(fd, tail.data(), size_t(tail.size()), file.knownSize);
    tail.resize(int(std::max<ssize_t>(got, 0)));
    // A line still being written is taken once it is whole, or when the watch ends.
    if (!last)
        tail.truncate(tail.lastIndexOf('\n') + 1);
    file.knownSize += tail.size();
    if (!tail.isEmpty() && !tail.endsWith('\n'))
        tail += '\n';
    return tail;
}

QByteArray WinPropsStore::lateAppends()
{
    QByteArray appended = std::exchange(m_earlyAppends, QByteArray());
    for (auto file = m_replaced.begin(); file != m_replaced.end();) {
        const bool last = file->watchedUntil.hasExpired();
        appended += takeTail(*file, last, MaxFileSize - appended.size());
        file = last ? m_replaced.erase(file) : file + 1;
    }
    return appended;
}

bool WinPropsStore::changedOnDisk() const
{
    return m_known && stampAt(m_path) != *m_known;
}

bool WinPropsStore::resolveTarget(QString &target, QString &errorMessage) const
{
    target = m_path;
    if (isSymLink(m_path)) {
        char resolved[PATH_MAX];
        if (!::realpath(QFile::encodeName(m_path).constData(), resolved)) {
            errorMessage = cannotWrite(
                m_path, errno == ENOENT ? tr("it is a symbolic link to nothing.") : errnoText());
            return false;
        }
        target = QFile::decodeName(resolved);
    }
    struct stat status = {};
    if (::stat(QFile::encodeName(target).constData(), &status) == 0 && !S_ISREG(status.st_mode)) {
        errorMessage = tr("Cannot write %1: it is %2, not a regular file.")
                           .arg(native(m_path), kindOf(status.st_mode));
        return false;
    }
    return true;
}

bool WinPropsStore::writeCopy(const QString &target, const QByteArray &contents, QString &copyPath,
                              QString &errorMessage)
{
    QByteArray pattern = QFile::encodeName(target) + ".XXXXXX";
    Descriptor file(::mkostemp(pattern.data(), O_CLOEXEC));
    if (file.get() < 0) {
        errorMessage = cannotWrite(target, errnoText());
        return false;
    }
    // Every step must succeed: a copy that is not whole never replaces the file.
    const bool whole = takeOwnerAndMode(file.get(), target) && writeAll(file.get(), contents)
        && ::fsync(file.get()) == 0 && file.close();
    if (!whole) {
        const QString reason = errnoText();
        ::unlink(pattern.constData());
        errorMessage = cannotWrite(target, reason);
        return false;
    }
    copyPath = QFile::decodeName(pattern);
    return true;
}

QString WinPropsStore::keepRejected(const QList<RejectedLine> &rejected,
                                    QString &errorMessage) const
{
    QByteArray contents;
    for (const RejectedLine &line : rejected) {
        contents += line.text;
        if (line.number != 0)
            contents += '\n';
    }
    const QString stem = m_path + QStringLiteral(".rejected-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1;; ++attempt) {
        const QString path
            = attempt == 1 ? stem : stem + QLatin1Char('-') + QString::number(attempt);
        QFile file(path);
        // NewOnly: an earlier side file is never overwritten.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.setPermissions(privateFile) && file.write(contents) == contents.size()
                && file.flush())
                return path;
            errorMessage = cannotWrite(path, file.errorString());
            return {};
        }
        if (!file.exists()) {
            errorMessage = tr("Cannot create %1: %2").arg(native(path), file.errorString());
            return {};
        }
    }
}
