// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/winprops/winprops.h"

#include "platform/winprops/geometrystring.h"
#include "platform/winprops/winpropsfields.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QStringList>

#include <algorithm>

namespace {

// Characters that would break a record text over lines or send control sequences to a
// terminal, written as escapes so that the text stays on one line and reads back unchanged.
bool needsCodeEscape(QChar c)
{
    const ushort u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || c == QChar::LineSeparator
        || c == QChar::ParagraphSeparator;
}

QString escaped(const QString &text)
{
    QString result;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char('=')) {
            result += QLatin1Char('\\');
            result += c;
        } else if (c == QLatin1Char('\n')) {
            result += QLatin1String("\\n");
        } else if (c == QLatin1Char('\t')) {
            result += QLatin1String("\\t");
        } else if (needsCodeEscape(c)) {
            result += QLatin1String("\\u")
                + QString::number(c.unicode(), 16).rightJustified(4, QLatin1Char('0'));
        } else {
            result += c;
        }
    }
    return result;
}

// One ';'-separated piece of a record text, unescaped; value is null for a bare key.
struct Piece
{
    QString key;
    QString value;
};

} // namespace

// Reads a record text into a record, stopping at the first fault.
class WinPropsTextReader
{
    // Its messages belong to the record, for translators too.
    Q_DECLARE_TR_FUNCTIONS(WinProps)

public:
    explicit WinPropsTextReader(WinProps &props)
        : m_props(props)
    {
    }

    void read(const QString &text)
    {
        QString error = controlCharacterError(text);
        QList<Piece> pieces;
        if (error.isNull())
            error = split(text, pieces);
        if (error.isNull() && pieces.first().key.isEmpty())
            error = tr("The window name is empty.");
        if (error.isNull())
            m_props.m_winName = pieces.first().key;
        QStringList seen;
        for (int i = 1; error.isNull() && i < pieces.size(); ++i)
            error = apply(pieces.at(i), seen);
        if (!error.isNull())
            m_props = WinProps();
        m_props.m_errorString = error;
    }

private:
    static QString controlCharacterError(const QString &text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 0x20)
                return tr("The record contains the control character U+%1.")
                    .arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
        return {};
    }

    // The first piece is the name: an unescaped '=' in it is part of the name.
    static QString split(const QString &text, QList<Piece> &pieces)
    {
        Piece piece;
        QString *target = &piece.key;
        for (int i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c == QLatin1Char('\\')) {
                if (++i == text.size())
                    return tr("The record ends with a backslash that escapes nothing.");
                const QString error = unescapeAt(text, i, *target);
                if (!error.isNull())
                    return error;
            } else if (c == QLatin1Char(';')) {
                pieces.append(piece);
                piece = Piece();
                target = &piece.key;
            } else if (c == QLatin1Char('=') && !pieces.isEmpty() && target == &piece.key) {
                piece.value = QLatin1String("");
                target = &piece.value;
            } else {
                *target += c;
            }
        }
        pieces.append(piece);
        return {};
    }

    // Appends the character escaped at text[i], the character after a backslash, and leaves i
    // on the escape's last character.
    static QString unescapeAt(const QString &text, int &i, QString &target)
    {
        const QChar next = text.at(i);
        if (next == QLatin1Char('\\') || next == QLatin1Char(';') || next == QLatin1Char('=')) {
            target += next;
        } else if (next == QLatin1Char('n')) {
            target += QLatin1Char('\n');
        } else if (next == QLatin1Char('t')) {
            target += QLatin1Char('\t');
        } else if (next == QLatin1Char('u')) {
            const QString digits = text.mid(i + 1, 4);
            if (digits.size() != 4 || !isHexDigits(digits))
                return tr("\"\\u\" needs four hexadecimal digits.");
            target += QChar(digits.toUShort(nullptr, 16));
            i += 4;
        } else {
            return tr("\"\\%1\" is not an escape; only \\;, \\=, \\\\, \\n, \\t and \\uXXXX are.")
                .arg(next);
        }
        return {};
    }

    static bool isHexDigits(const QString &text)
    {
        return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
            return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
        });
    }

    QString apply(const Piece &piece, QStringList &seen)
    {
        if (piece.key.isEmpty())
            return piece.value.isNull() ? tr("The record has an empty property.")
                                        : tr("A property has no name before its \"=\".");
        const WinPropsField *field = fieldFor(piece.key);
        if (!field)
            return tr("\"%1\" is not a window property.").arg(piece.key);
        if (seen.contains(piece.key))
            return tr("The property \"%1\" is given twice.").arg(piece.key);
        seen.append(piece.key);
        switch (field->kind) {
        case WinPropsKind::Switch:
            return applySwitch(*field, piece.value);
        case WinPropsKind::Number:
            return applyNumber(*field, piece.value);
        case WinPropsKind::Geometry:
        case WinPropsKind::Image:
            return applyText(*field, piece.value);
        }
        return {};
    }

    static const WinPropsField *fieldFor(const QString &key)
    {
        for (const WinPropsField &field : winPropsFields()) {
            if (key == field.key())
                return &field;
        }
        return nullptr;
    }

    QString applySwitch(const WinPropsField &field, const QString &value)
    {
        static const QStringList on = { QStringLiteral("1"), QStringLiteral("true"),
                                        QStringLiteral("yes"), QStringLiteral("on") };
        static const QStringList off = { QStringLiteral("0"), QStringLiteral("false"),
                                         QStringLiteral("no"), QStringLiteral("off") };
        if (value.isNull() || on.contains(value, Qt::CaseInsensitive))
            m_props.*field.flag = true;
        else if (off.contains(value, Qt::CaseInsensitive))
            m_props.*field.flag = false;
        else
            return tr("\"%1\" is not a value of the switch \"%2\"; use 1, 0, true, false, yes, "
                      "no, on or off.")
                .arg(value, field.key());
        return {};
    }

    QString applyNumber(const WinPropsField &field, const QString &value)
    {
        if (value.isNull())
            return tr("The property \"%1\" needs a value.").arg(field.key());
        if (value.isEmpty() || value == QLatin1String("-1")) {
            m_props.*field.number = WinProps::NotSet;
            return {};
        }
        bool allDigits = value.size() <= 9;
        for (const QChar c : value)
            allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const quint32 number = allDigits ? value.toUInt() : WinProps::NotSet;
        if (number > WinProps::MaxPercent)
            return tr("\"%1\" is not a value of \"%2\"; use a number from 0 to 100, or -1 for "
                      "none.")
                .arg(value, field.key());
        m_props.*field.number = number;
        return {};
    }

    QString applyText(const WinPropsField &field, const QString &value)
    {
        if (value.isNull())
            return tr("The property \"%1\" needs a value.").arg(field.key());
        if (field.kind == WinPropsKind::Geometry && !value.isEmpty() && !parseGeometryString(value))
            return tr("\"%1\" is not a geometry of the form WIDTHxHEIGHT+X+Y (a \"-\" before X "
                      "or Y counts from the right or bottom edge).")
                .arg(value);
        m_props.*field.text = value;
        return {};
    }

    WinProps &m_props;
};

WinProps::WinProps()
{
    for (const WinPropsField &field : winPropsFields())
        field.reset(*this);
}

WinProps::WinProps(const QString &record)
    : WinProps()
{
    WinPropsTextReader(*this).read(record);
}

bool WinProps::isNull() const
{
    const auto &fields = winPropsFields();
    return std::none_of(fields.cbegin(), fields.cend(),
                        [this](const WinPropsField &field) { return field.isSet(*this); });
}

QString WinProps::toString() const
{
    QString text = escaped(m_winName);
    for (const WinPropsField &field : winPropsFields()) {
        if (!field.isSet(*this))
            continue;
        text += QLatin1Char(';') + field.key();
        if (field.kind == WinPropsKind::Number)
            text += QLatin1Char('=') + QString::number(this->*field.number);
        else if (field.kind != WinPropsKind::Switch)
            text += QLatin1Char('=') + escaped(this->*field.text);
    }
    return text;
}

QString WinProps::storageProblem() const
{
    return WinProps(toString()).errorString();
}

bool WinProps::operator==(const WinProps &other) const
{
    const auto &fields = winPropsFields();
    return m_winName == other.m_winName
        && std::all_of(fields.cbegin(), fields.cend(), [this, &other](const WinPropsField &field) {
               return field.agree(*this, other);
           });
}

QDBusArgument &operator<<(QDBusArgument &argument, const WinProps &props)
{
    argument.beginStructure();
    argument << props.winName();
    for (const WinPropsField &field : winPropsFields())
        field.visit(props, [&argument](const auto &member) { argument << member; });
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, WinProps &props)
{
    props = WinProps();
    if (argument.currentSignature() != winPropsSignature())
        return argument;
    QString name;
    argument.beginStructure();
    argument >> name;
    for (const WinPropsField &field : winPropsFields())
        field.visit(props, [&argument](auto &member) { argument >> member; });
    argument.endStructure();
    props.setWinName(name);
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const WinPropsList &list)
{
    argument.beginArray(qMetaTypeId<WinProps>());
    for (const WinProps &props : list)
        argument << props;
    argument.endArray();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, WinPropsList &list)
{
    readWinPropsList(argument, list);
    return argument;
}

QString winPropsSignature()
{
    static const QString signature = []() -> QString {
        QString text = QStringLiteral("(s");
        for (const WinPropsField &field : winPropsFields())
            text += QLatin1Char(field.dbusType());
        return text + QLatin1Char(')');
    }();
    return signature;
}

QString winPropsListSignature()
{
    return QLatin1Char('a') + winPropsSignature();
}

bool readWinPropsList(const QDBusArgument &argument, WinPropsList &list, QString *errorMessage)
{
    list.clear();
    const QString signature = argument.currentSignature();
    if (signature != winPropsListSignature()) {
        if (errorMessage)
            *errorMessage
                = QCoreApplication::translate("WinProps",
                                              "The service sent data of the type \"%1\" where a "
                                              "list of window properties \"%2\" was expected.")
                      .arg(signature, winPropsListSignature());
        return false;
    }
    argument.beginArray();
    while (!argument.atEnd()) {
        WinProps props;
        argument >> props;
        list.append(props);
    }
    argument.endArray();
    return true;
}
