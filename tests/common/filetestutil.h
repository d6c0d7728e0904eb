// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_FILETESTUTIL_H
#define KIVO_FILETESTUTIL_H

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <sys/stat.h>

// The permission bits of a file or folder, or -1 when it is missing.
inline int modeOf(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 07777);
}

inline QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file's contents; a file the test cannot write ends it.
inline void writeContents(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Puts at path, where nothing else is, what a test offers instead of an ordinary file: a "pipe"
// (named, with nobody at either end), a "folder", a "zero link" (to /dev/zero), a "dangling
// link", or a "sparse" file of sparseSize bytes, which takes no disk space and keeps any
// contents already there.
inline bool makeFileOfKind(const QString &path, const QString &kind, qint64 sparseSize = 0)
{
    if (kind == QLatin1String("pipe"))
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    if (kind == QLatin1String("folder"))
        return QDir().mkdir(path);
    if (kind == QLatin1String("zero link"))
        return QFile::link(QStringLiteral("/dev/zero"), path);
    if (kind == QLatin1String("dangling link"))
        return QFile::link(path + QStringLiteral(".missing"), path);
    QFile file(path);
    return kind == QLatin1String("sparse") && file.open(QIODevice::ReadWrite)
        && file.resize(sparseSize);
}

#endif
