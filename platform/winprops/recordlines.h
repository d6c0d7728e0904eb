// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_RECORDLINES_H
#define KIVO_RECORDLINES_H

#include "platform/winprops/winprops.h"

#include <QByteArray>

// Canonical record texts one per line: the stand-in service's storage file, and the form of
// --list, --export and --import. Every line reads back with --add: the record text escapes
// anything that could break a line.
QByteArray recordLines(const WinPropsList &records);

struct RecordLinesRead
{
    WinPropsList records;
    // The first line that could not be read (counted from 1), or 0; error says why.
    int badLine = 0;
    QString error;
};

// Reads UTF-8 record lines; empty lines and a byte-order mark are skipped and a line may end in
// CR LF. Stops at the first bad line or repeated window name, and then returns no records.
RecordLinesRead readRecordLines(const QByteArray &text);

#endif
