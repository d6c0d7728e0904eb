// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/applier/iconimages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough to tell a burst of windows of one program apart from a growing list of programs.
constexpr int maxRememberedIcons = 64;

QStringList iconFolders()
{
    QStringList folders { QDir::homePath() + QStringLiteral("/.icons") };
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(data + QStringLiteral("/icons"));
    return folders;
}

QStringList pixmapFolders()
{
    QStringList folders;
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(data + QStringLiteral("/pixmaps"));
    return folders;
}

// Qt decodes the text of an SVG image with fonts, which only a GUI application has: without
// one, an SVG with text brings the whole process down.
bool decodesSvg()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance())
        && QImageReader::supportedImageFormats().contains("svg");
}

QStringList imageSuffixes()
{
    QStringList suffixes { QStringLiteral("png"), QStringLiteral("xpm") };
    if (decodesSvg())
        suffixes.append(QStringLiteral("svg"));
    return suffixes;
}

// Size folders of a theme, the asked size first, then larger ones (which scale down well), then
// smaller ones.
QStringList sizeFolders(const QDir &theme, int size)
{
    QList<QPair<int, QString>> ranked;
    for (const QString &folder : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const int folderSize = folder.section(QLatin1Char('x'), 0, 0).toInt();
        int rank = folderSize >= size ? folderSize - size : 100000 + size - folderSize;
        if (folder == QLatin1String("scalable"))
            rank = 50000;
        ranked.append({ rank, folder });
    }
    std::sort(ranked.begin(), ranked.end());
    QStringList folders;
    for (const auto &entry : qAsConst(ranked))
        folders.append(entry.second);
    return folders;
}

QString findInTheme(const QDir &theme, const QString &name, int size)
{
    const QStringList suffixes = imageSuffixes();
    for (const QString &sizeFolder : sizeFolders(theme, size)) {
        const QDir folder(theme.filePath(sizeFolder));
        for (const QString &context : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            for (const QString &suffix : suffixes) {
                const QString file = folder.filePath(context + QLatin1Char('/') + name
                                                     + QLatin1Char('.') + suffix);
                if (QFileInfo::exists(file))
                    return file;
            }
        }
    }
    return QString();
}

// Far beyond any icon; a few bytes of PNG can claim 20000 × 20000 pixels, 1.6 GB decoded.
constexpr qint64 maxImageBytes = qint64(16) << 20;
constexpr qint64 maxImagePixels = qint64(4096) * 4096;

// Only a regular file of a bounded size, opened without waiting: a named pipe would block the
// daemon, and its answers on the bus, for ever.
QByteArray imageFileContents(const QString &file)
{
    const int fd
        = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat status = {};
    QFile opened;
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)
        || status.st_size > maxImageBytes
        || !opened.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    return opened.read(maxImageBytes);
}

// Decoded only when its pixels are within bounds.
QImage readImage(const QString &file)
{
    QByteArray contents = imageFileContents(file);
    QBuffer buffer(&contents);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // By its contents, whatever its name says; before anything of it is parsed.
    if (reader.format().startsWith("svg") && !decodesSvg())
        return {};
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > maxImagePixels)
        return {};
    return reader.read();
}

} // namespace

const QVector<int> &IconImages::smallSizes()
{
    static const QVector<int> sizes { 16, 32 };
    return sizes;
}

const QVector<int> &IconImages::largeSizes()
{
    static const QVector<int> sizes { 48, 64 };
    return sizes;
}

QString IconImages::findFile(const QString &nameOrPath, int size)
{
    if (nameOrPath.contains(QLatin1Char('/')))
        return QFileInfo::exists(nameOrPath) ? nameOrPath : QString();
    const QString key = nameOrPath + QLatin1Char('@') + QString::number(size);
    const auto known = m_files.constFind(key);
    if (known != m_files.constEnd())
        return *known;
    QString file;
    for (const QString &themeName : { QStringLiteral("hicolor"), QStringLiteral("Adwaita") }) {
        for (const QString &folder : iconFolders()) {
            file = findInTheme(QDir(folder + QLatin1Char('/') + themeName), nameOrPath, size);
            if (!file.isEmpty())
                break;
        }
        if (!file.isEmpty())
            break;
    }
    for (const QString &folder : pixmapFolders()) {
        for (const QString &suffix : imageSuffixes()) {
            const QString candidate
                = folder + QLatin1Char('/') + nameOrPath + QLatin1Char('.') + suffix;
            if (file.isEmpty() && QFileInfo::exists(candidate))
                file = candidate;
        }
    }
    if (m_files.size() >= maxRememberedIcons)
        m_files.clear();
    m_files.insert(key, file);
    return file;
}

QVector<quint32> IconImages::netWmIcon(const QString &smallImage, const QString &largeImage,
                                       QStringList *unloaded)
{
    const QString key = smallImage + QLatin1Char('\n') + largeImage;
    const auto known = m_icons.constFind(key);
    if (known != m_icons.constEnd())
        return *known;
    QVector<quint32> data;
    if (!smallImage.isEmpty() && !append(data, smallImage, smallSizes()) && unloaded)
        unloaded->append(smallImage);
    if (!largeImage.isEmpty() && !append(data, largeImage, largeSizes()) && unloaded)
        unloaded->append(largeImage);
    if (m_icons.size() >= maxRememberedIcons)
        m_icons.clear();
    m_icons.insert(key, data);
    return data;
}

bool IconImages::append(QVector<quint32> &data, const QString &image, const QVector<int> &sizes)
{
    for (const int size : sizes) {
        const QString file = findFile(image, size);
        const QImage loaded = file.isEmpty() ? QImage() : readImage(file);
        if (loaded.isNull())
            return false;
        appendImage(data, loaded, size);
    }
    return true;
}

void IconImages::appendImage(QVector<quint32> &data, const QImage &image, int size)
{
    const QImage scaled = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_ARGB32);
    data.append(static_cast<quint32>(scaled.width()));
    data.append(static_cast<quint32>(scaled.height()));
    for (int y = 0; y < scaled.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(scaled.constScanLine(y));
        data.append(QVector<quint32>(line, line + scaled.width()));
    }
}
