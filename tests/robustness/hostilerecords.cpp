// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/robustness/hostilerecords.h"

#include "tests/common/testrecords.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

namespace {
// Nine in ten records set nothing, so that a save has many to leave out.
WinPropsList huge()
{
    WinPropsList list;
    list.reserve(Hostile::HugeCount);
    for (int i = 0; i < Hostile::HugeCount; ++i) {
        WinProps props = named(QStringLiteral("app-%1").arg(i, 6, 10, QLatin1Char('0')));
        if (i % 10 == 0) {
            props.ontop = true;
            props.shadow = quint32(i % 101);
        }
        list.append(props);
    }
    return list;
}

WinPropsList longNames()
{
    const int length = Hostile::LongNameLength;
    WinProps plain = named(QString(length, QLatin1Char('a')));
    plain.no_title = true;
    // Words, so that anything wrapping the text has many places to break.
    WinProps words = named(QStringLiteral("word ").repeated(length / 5));
    words.sticky = true;
    WinProps wide = named(QString(length, QChar(0x7A97)));
    wide.geometry = QStringLiteral("100x100+0+0");
    WinProps shortOne = named(QStringLiteral("short"));
    shortOne.ontop = true;
    return { plain, words, shortOne, wide };
}

// One name beyond what a record may hold, among ordinary ones: the whole reply is unreadable.
WinPropsList overlongName()
{
    WinProps overlong = named(QString(Hostile::OverlongNameLength, QLatin1Char('x')));
    overlong.ontop = true;
    return { named(QStringLiteral("xterm")), overlong };
}

WinPropsList markupNames()
{
    const QStringList names = {
        QStringLiteral("<b>bold</b>"),
        QStringLiteral("<img src=\"/nonexistent/huge.png\" width=\"5000\" height=\"5000\">"),
        QStringLiteral("<a href=\"file:///etc/passwd\">click</a>"),
        QStringLiteral("<table><tr><td>unclosed"),
        QStringLiteral("a &amp; b &lt; c"),
        QStringLiteral("line\nbreak\r\nand\ttab"),
        QStringLiteral("bell\a escape\x1b[2J\x1b[31mred"),
        QString::fromUtf16(u"lone \xD800 high"),
        QString::fromUtf16(u"lone \xDC00 low"),
        QString::fromUtf16(u"\xDC00\xD800 reversed pair"),
        QString::fromUtf16(u"\x202Eright to left \x200Bzero width"),
        QStringLiteral("semi;colon=equals\\back\\"),
    };
    WinPropsList list;
    for (int i = 0; i < names.size(); ++i) {
        WinProps props = named(names.at(i));
        props.no_border = true;
        props.transparency = quint32(i);
        list.append(props);
    }
    return list;
}

// Values the editor cannot show first, then an empty name and a name given twice.
WinPropsList oddNames()
{
    WinProps values = named(QStringLiteral("odd values"));
    values.geometry = QStringLiteral("garbage");
    values.small_image = QStringLiteral("<b>not an icon</b>");
    values.shadow = 150;
    values.transparency = 0x7FFFFFFF;
    WinProps empty = named(QString());
    empty.ontop = true;
    WinProps first = named(QStringLiteral("twice"));
    first.sticky = true;
    WinProps second = named(QStringLiteral("twice"));
    second.no_title = true;
    WinProps other = named(QStringLiteral("other"));
    other.shadow = 10;
    return { values, empty, first, other, second };
}

WinPropsList ordinary()
{
    WinProps xterm = named(QStringLiteral("xterm"));
    xterm.no_title = true;
    WinProps vlc = named(QStringLiteral("vlc"));
    vlc.ontop = true;
    return { xterm, vlc };
}
} // namespace

QStringList Hostile::modes()
{
    return { QStringLiteral("wrong-signature"), QStringLiteral("wrong-record"),
             QStringLiteral("other-struct"),    QStringLiteral("same-field-count"),
             QStringLiteral("no-arguments"),    QStringLiteral("two-arguments"),
             QStringLiteral("fetch-error"),     QStringLiteral("huge"),
             QStringLiteral("long-names"),      QStringLiteral("overlong-name"),
             QStringLiteral("markup-names"),    QStringLiteral("odd-names"),
             QStringLiteral("silent"),          QStringLiteral("silent-store"),
             QStringLiteral("store-error"),     QStringLiteral("vanish-before-save") };
}

QString Hostile::olderServiceMode()
{
    return QStringLiteral("older-service");
}

QString Hostile::wholeCollectionServiceMode()
{
    return QStringLiteral("whole-collection-service");
}

WinPropsList Hostile::records(const QString &mode)
{
    if (mode == QLatin1String("huge"))
        return huge();
    if (mode == QLatin1String("long-names"))
        return longNames();
    if (mode == QLatin1String("overlong-name"))
        return overlongName();
    if (mode == QLatin1String("markup-names"))
        return markupNames();
    if (mode == QLatin1String("odd-names"))
        return oddNames();
    return ordinary();
}

WinProps Hostile::asDelivered(WinProps props)
{
    props.setWinName(QString::fromUtf8(props.winName().toUtf8()));
    return props;
}

QString Hostile::storeErrorName()
{
    return QStringLiteral("org.kivo.Error.StorageFull");
}

QString Hostile::storeErrorMessage()
{
    return QStringLiteral("<b>disk</b> full\nsecond line\x1b[2J\tend");
}

QString Hostile::callLogName()
{
    return QStringLiteral("calls");
}

QString Hostile::storeFileName(int number)
{
    return QStringLiteral("store-%1").arg(number);
}

QStringList Hostile::readStore(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QDataStream stream(&file);
    QStringList texts;
    stream >> texts;
    return stream.status() == QDataStream::Ok ? texts : QStringList();
}

bool Hostile::writeStore(const QString &path, const WinPropsList &records)
{
    const QStringList texts = textsOf(records);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream stream(&file);
    stream << texts;
    return stream.status() == QDataStream::Ok && file.commit();
}
