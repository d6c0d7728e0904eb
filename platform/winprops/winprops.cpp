// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "winprops.h"

#include "geometrystring.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QStringList>

#include <algorithm>

namespace {

enum class FieldKind { Switch, Text, Geometry, Percent };

struct Field
{
    const char *key;
    FieldKind kind;
    bool WinProps::*flag;
    QString WinProps::*text;
    quint32 WinProps::*number;
};

constexpr Field switchField(const char *key, bool WinProps::*flag)
{
    return { key, FieldKind::Switch, flag, nullptr, nullptr };
}

constexpr Field textField(const char *key, QString WinProps::*text,
                          FieldKind kind = FieldKind::Text)
{
    return { key, kind, nullptr, text, nullptr };
}

constexpr Field percentField(const char *key, quint32 WinProps::*number)
{
    return { key, FieldKind::Percent, nullptr, nullptr, number };
}

// Every property in member order; the record text uses the member names as keys.
const Field fields[] = {
    switchField("sticky", &WinProps::sticky),
    switchField("no_focus", &WinProps::no_focus),
    switchField("no_title", &WinProps::no_title),
    switchField("no_border", &WinProps::no_border),
    switchField("no_border_edge", &WinProps::no_border_edge),
    switchField("no_ctrlbtn", &WinProps::no_ctrlbtn),
    switchField("no_button1", &WinProps::no_button1),
    switchField("no_button2", &WinProps::no_button2),
    switchField("no_button3", &WinProps::no_button3),
    switchField("no_tbutton", &WinProps::no_tbutton),
    switchField("no_pager", &WinProps::no_pager),
    textField("small_image", &WinProps::small_image),
    textField("large_image", &WinProps::large_image),
    switchField("close_soon", &WinProps::close_soon),
    switchField("ontop", &WinProps::ontop),
    switchField("onbottom", &WinProps::onbottom),
    switchField("init_maximize", &WinProps::init_maximize),
    switchField("init_minimize", &WinProps::init_minimize),
    switchField("focus_on_click", &WinProps::focus_on_click),
    textField("geometry", &WinProps::geometry, FieldKind::Geometry),
    percentField("shadow", &WinProps::shadow),
    percentField("transparency", &WinProps::transparency),
};

bool isPercent(quint32 value)
{
    return value <= WinProps::MaxPercent;
}

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
        const Field *field = fieldFor(piece.key);
        if (!field)
            return tr("\"%1\" is not a window property.").arg(piece.key);
        if (seen.contains(piece.key))
            return tr("The property \"%1\" is given twice.").arg(piece.key);
        seen.append(piece.key);
        switch (field->kind) {
        case FieldKind::Switch:
            return applySwitch(*field, piece.value);
        case FieldKind::Percent:
            return applyPercent(*field, piece.value);
        case FieldKind::Geometry:
        case FieldKind::Text:
            return applyText(*field, piece.value);
        }
        return {};
    }

    static const Field *fieldFor(const QString &key)
    {
        for (const Field &field : fields) {
            if (key == QLatin1String(field.key))
                return &field;
        }
        return nullptr;
    }

    QString applySwitch(const Field &field, const QString &value)
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
                .arg(value, QLatin1String(field.key));
        return {};
    }

    QString applyPercent(const Field &field, const QString &value)
    {
        if (value.isNull())
            return tr("The property \"%1\" needs a value.").arg(QLatin1String(field.key));
        if (value.isEmpty() || value == QLatin1String("-1")) {
            m_props.*field.number = WinProps::NotSet;
            return {};
        }
        bool allDigits = value.size() <= 9;
        for (const QChar c : value)
            allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const quint32 number = allDigits ? value.toUInt() : WinProps::NotSet;
        if (!isPercent(number))
            return tr("\"%1\" is not a value of \"%2\"; use a number from 0 to 100, or -1 for "
                      "none.")
                .arg(value, QLatin1String(field.key));
        m_props.*field.number = number;
        return {};
    }

    QString applyText(const Field &field, const QString &value)
    {
        if (value.isNull())
            return tr("The property \"%1\" needs a value.").arg(QLatin1String(field.key));
        if (field.kind == FieldKind::Geometry && !value.isEmpty() && !parseGeometryString(value))
            return tr("\"%1\" is not a geometry of the form WIDTHxHEIGHT+X+Y (a \"-\" before X "
                      "or Y counts from the right or bottom edge).")
                .arg(value);
        m_props.*field.text = value;
        return {};
    }

    WinProps &m_props;
};

WinProps::WinProps() = default;

WinProps::WinProps(const QString &record)
{
    WinPropsTextReader(*this).read(record);
}

bool WinProps::isNull() const
{
    for (const Field &field : fields) {
        if (field.kind == FieldKind::Switch && this->*field.flag)
            return false;
    }
    return small_image.isEmpty() && large_image.isEmpty() && geometry.isEmpty()
        && !isPercent(shadow) && !isPercent(transparency);
}

QString WinProps::toString() const
{
    QString text = escaped(m_winName);
    for (const Field &field : fields) {
        const QLatin1String key(field.key);
        switch (field.kind) {
        case FieldKind::Switch:
            if (this->*field.flag)
                text += QLatin1Char(';') + key;
            break;
        case FieldKind::Text:
        case FieldKind::Geometry:
            if (!(this->*field.text).isEmpty())
                text += QLatin1Char(';') + key + QLatin1Char('=') + escaped(this->*field.text);
            break;
        case FieldKind::Percent:
            if (isPercent(this->*field.number))
                text += QLatin1Char(';') + key + QLatin1Char('=')
                    + QString::number(this->*field.number);
            break;
        }
    }
    return text;
}

QString WinProps::storageProblem() const
{
    return WinProps(toString()).errorString();
}

bool WinProps::operator==(const WinProps &other) const
{
    for (const Field &field : fields) {
        switch (field.kind) {
        case FieldKind::Switch:
            if (this->*field.flag != other.*field.flag)
                return false;
            break;
        case FieldKind::Text:
        case FieldKind::Geometry:
            if (this->*field.text != other.*field.text)
                return false;
            break;
        case FieldKind::Percent: {
            const quint32 mine = this->*field.number;
            const quint32 theirs = other.*field.number;
            if (mine != theirs && (isPercent(mine) || isPercent(theirs)))
                return false;
            break;
        }
        }
    }
    return m_winName == other.m_winName;
}

QDBusArgument &operator<<(QDBusArgument &argument, const WinProps &props)
{
    argument.beginStructure();
    argument << props.winName() << props.sticky << props.no_focus << props.no_title
             << props.no_border << props.no_border_edge << props.no_ctrlbtn << props.no_button1
             << props.no_button2 << props.no_button3 << props.no_tbutton << props.no_pager
             << props.small_image << props.large_image << props.close_soon << props.ontop
             << props.onbottom << props.init_maximize << props.init_minimize << props.focus_on_click
             << props.geometry << props.shadow << props.transparency;
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
    argument >> name >> props.sticky >> props.no_focus >> props.no_title >> props.no_border
        >> props.no_border_edge >> props.no_ctrlbtn >> props.no_button1 >> props.no_button2
        >> props.no_button3 >> props.no_tbutton >> props.no_pager >> props.small_image
        >> props.large_image >> props.close_soon >> props.ontop >> props.onbottom
        >> props.init_maximize >> props.init_minimize >> props.focus_on_click >> props.geometry
        >> props.shadow >> props.transparency;
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
    return QStringLiteral("(sbbbbbbbbbbbssbbbbbbsuu)");
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
