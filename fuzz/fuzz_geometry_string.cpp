// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// The geometry string reading: any text either does not match or gives a geometry whose
// composed string reads back to the same geometry and composes the same.
#include "fuzz/fuzzcheck.h"
#include "platform/winprops/geometrystring.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const std::optional<GeometrySpec> geometry = parseGeometryString(text);
    if (!geometry)
        return 0;
    const QString composed = geometryStringOf(*geometry);
    const std::optional<GeometrySpec> again = parseGeometryString(composed);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(*again == *geometry);
    FUZZ_CHECK(geometryStringOf(*again) == composed);
    return 0;
}
