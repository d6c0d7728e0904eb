// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSSTORE_H
#define KIVO_WINPROPSSTORE_H

#include "winprops.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A line of the storage file that could not be read as a record, kept byte for byte.
struct RejectedLine
{
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
// One canonical record text per line.
QByteArray serializeStorage(const WinPropsList &records);

// A shadow or transparency above 100 means not set; stored as such.
WinProps normalized(WinProps props);
// Why a window name cannot be stored, or a null string.
QString nameProblem(const QString &name);
// Why a record cannot be stored, or a null string.
QString recordProblem(const WinProps &props);
// Why a whole collection cannot be stored (a bad record, a repeated name), or a null string.
// stored: a collection known to be storable; a record equal to the one at the same position in
// it is not checked again.
QString listProblem(const WinPropsList &records, const WinPropsList &stored = {});

// The file that holds the collection. Every save replaces it atomically; a new file is private
// to the user, and so are the folders created for it.
class WinPropsStore
{
public:
    explicit WinPropsStore(const QString &path);

    // $XDG_CONFIG_HOME/kivo/winprops
    static QString defaultPath();
    QString path() const { return m_path; }

    // A missing file is an empty collection. False when the file cannot be read.
    bool load(StorageContents &contents, QString &errorMessage) const;
    bool save(const WinPropsList &records, QString &errorMessage) const;
    // Writes the rejected lines to a new file beside the storage, which no save touches; returns
    // its path, or a null string with errorMessage set.
    QString keepRejected(const QList<RejectedLine> &rejected, QString &errorMessage) const;

private:
    QString m_path;
};

#endif
