// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_TESTRECORDS_H
#define KIVO_TESTRECORDS_H

// Records for tests, made from and shown as record texts.

#include "platform/winprops/winprops.h"

#include <QStringList>

// A record that sets nothing.
inline WinProps named(const QString &name)
{
    WinProps props;
    props.setWinName(name);
    return props;
}

// The record of a text the test knows to be valid; anything else ends the test.
inline WinProps recordOf(const QString &text)
{
    const WinProps props(text);
    if (!props.isValid())
        qFatal("not a record: %s", qPrintable(text));
    return props;
}

inline WinPropsList recordsOf(const QStringList &texts)
{
    WinPropsList records;
    for (const QString &text : texts)
        records.append(recordOf(text));
    return records;
}

// The canonical texts of the records.
inline QStringList textsOf(const WinPropsList &records)
{
    QStringList texts;
    for (const WinProps &props : records)
        texts.append(props.toString());
    return texts;
}

#endif
