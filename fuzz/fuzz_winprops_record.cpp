// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// The window record text, as the option "add" and the stand-in service read it: any text is
// either refused with a reason and leaves an empty record, or read into a record whose canonical
// text reads back to the same record and prints the same.
#include "fuzz/fuzzcheck.h"
#include "platform/winprops/winprops.h"

#include <QString>

namespace {

QString canonicalNameOnly(const WinProps &props)
{
    WinProps named;
    named.setWinName(props.winName());
    return named.toString();
}

void checkRefused(const WinProps &props)
{
    FUZZ_CHECK(!props.errorString().isEmpty());
    FUZZ_CHECK(props == WinProps());
    FUZZ_CHECK(props.isNull());
}

void checkRoundTrip(const WinProps &props)
{
    FUZZ_CHECK(!props.winName().isEmpty());
    const QString canonical = props.toString();
    const WinProps again(canonical);
    FUZZ_CHECK(again.isValid());
    FUZZ_CHECK(again == props);
    FUZZ_CHECK(again.toString() == canonical);
    FUZZ_CHECK(props.storageProblem().isNull());
    // The canonical text lists exactly the properties that are set.
    FUZZ_CHECK(props.isNull() == (canonical == canonicalNameOnly(props)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const WinProps props(text);
    if (props.isValid())
        checkRoundTrip(props);
    else
        checkRefused(props);
    return 0;
}
