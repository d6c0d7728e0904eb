// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSSTOREWRITER_H
#define KIVO_WINPROPSSTOREWRITER_H

#include "platform/winprops/winprops.h"

// The two collections that the store writer saves by turns: each one's first record tells
// which it is, so a reader can tell a whole file of either from a torn one.
inline WinPropsList writerCollection(int which, int size)
{
    WinPropsList records;
    for (int i = 0; i < size; ++i) {
        WinProps props;
        props.setWinName(QStringLiteral("window %1 of collection %2").arg(i).arg(which));
        props.no_title = which == 0;
        props.small_image = QStringLiteral("icon-%1-%2").arg(which).arg(i);
        props.shadow = quint32(i % 101);
        records.append(props);
    }
    return records;
}

#endif
