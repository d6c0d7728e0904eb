// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// The stand-in service's storage file: any contents give records and rejected lines that account
// for every non-empty line, rejected lines are kept byte for byte, and the accepted records are a
// storable collection that writes and reads back unchanged.
#include "daemon/winpropsstore.h"
#include "fuzz/fuzzcheck.h"
#include "platform/winprops/recordlines.h"

#include <QByteArray>
#include <QList>

namespace {

void checkRejected(const StorageContents &contents, const QList<QByteArray> &lines)
{
    int previous = 0;
    for (const RejectedLine &line : contents.rejected) {
        FUZZ_CHECK(line.number > previous && line.number <= lines.size());
        FUZZ_CHECK(line.text == lines.at(line.number - 1));
        FUZZ_CHECK(!line.text.isEmpty());
        FUZZ_CHECK(!line.reason.isEmpty());
        previous = line.number;
    }
}

void checkRewrite(const StorageContents &contents)
{
    FUZZ_CHECK(listProblem(contents.records).isNull());
    const QByteArray rewritten = recordLines(contents.records);
    const StorageContents again = parseStorage(rewritten);
    FUZZ_CHECK(again.rejected.isEmpty());
    FUZZ_CHECK(again.records == contents.records);
    FUZZ_CHECK(recordLines(again.records) == rewritten);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const StorageContents contents = parseStorage(bytes);
    const QList<QByteArray> lines = bytes.split('\n');
    int nonEmpty = 0;
    for (int i = 0; i < lines.size(); ++i) {
        // A byte-order mark before the first line and a CR before a line end are no content.
        QByteArray line = lines.at(i);
        if (i == 0 && line.startsWith("\xEF\xBB\xBF"))
            line.remove(0, 3);
        if (line.endsWith('\r'))
            line.chop(1);
        nonEmpty += line.isEmpty() ? 0 : 1;
    }
    FUZZ_CHECK(contents.records.size() + contents.rejected.size() == nonEmpty);
    checkRejected(contents, lines);
    checkRewrite(contents);
    return 0;
}
