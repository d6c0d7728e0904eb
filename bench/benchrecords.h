// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_BENCHRECORDS_H
#define KIVO_BENCHRECORDS_H

#include "platform/winprops/winprops.h"

#include <QByteArray>

namespace BenchRecords {
// count records of realistic variety, with distinct names and each setting something; the same
// count always gives the same records.
WinPropsList generate(int count);
} // namespace BenchRecords

#endif
