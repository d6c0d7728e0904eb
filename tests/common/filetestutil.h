// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_FILETESTUTIL_H
#define KIVO_FILETESTUTIL_H

#include <QByteArray>
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

#endif
