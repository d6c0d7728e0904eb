// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/winprops/recordlines.h"
#include "platform/qtcompat/qtcompat.h"

#include <QCoreApplication>
#include <QHash>

QByteArray recordLines(const WinPropsList &records)
{
    QByteArray text;
    // Two appends, not one of a sum: += of a sum reserves the exact size, copying the whole
    // text on every line.
    for (const WinProps &props : records) {
        text += props.toString().toUtf8();
        text += '\n';
    }
    return text;
}

namespace {
// The line as text, or a null string with error set when it is not UTF-8.
QString decodedLine(QByteArray line, QString &error)
{
    if (line.endsWith('\r'))
        line.chop(1);
    const std::optional<QString> text = QtCompat::strictUtf8(line);
    if (!text) {
        error = QCoreApplication::translate("CommandLineActions", "the line is not UTF-8 text");
        return {};
    }
    return *text;
}
} // namespace

RecordLinesRead readRecordLines(const QByteArray &text)
{
    RecordLinesRead result;
    QHash<QString, int> lineOfName;
    // Some editors start a UTF-8 file with a byte-order mark.
    const QByteArray byteOrderMark("\xEF\xBB\xBF");
    const QList<QByteArray> lines
        = (text.startsWith(byteOrderMark) ? text.mid(byteOrderMark.size()) : text).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).isEmpty() || lines.at(i) == "\r")
            continue;
        QString error;
        const QString line = decodedLine(lines.at(i), error);
        const WinProps props = error.isNull() ? WinProps(line) : WinProps();
        if (error.isNull() && !props.isValid())
            error = props.errorString();
        if (error.isNull() && lineOfName.contains(props.winName()))
            error = QCoreApplication::translate("CommandLineActions",
                                                "the window \"%1\" is already on line %2")
                        .arg(props.winName())
                        .arg(lineOfName.value(props.winName()));
        if (!error.isNull())
            return { {}, i + 1, error };
        lineOfName.insert(props.winName(), i + 1);
        result.records.append(props);
    }
    return result;
}
