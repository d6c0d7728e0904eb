// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPS_H
#define KIVO_WINPROPS_H

#include <QList>
#include <QMetaType>
#include <QString>

class QDBusArgument;

// One window's properties, keyed by its window name. The switches, images, geometry, shadow and
// transparency are public members, read and written directly by their users. winPropsFields()
// describes each of them, with the value it starts with; the record text, the D-Bus struct and
// the comparison walk that table.
class WinProps
{
public:
    // Value of an optional number that is not set; anything above 100 counts as not set.
    static constexpr quint32 NotSet = 0xFFFFFFFFu;
    static constexpr quint32 MaxPercent = 100;
    // The longest name, image or geometry, in UTF-16 code units: far beyond any real one, and
    // short enough that laying out a whole list of them stays quick.
    static constexpr int MaxTextLength = 4096;

    WinProps();
    // Reads a window record text: "NAME[;PROPERTY]...", see toString(). isValid() tells whether
    // the text was usable, errorString() why not.
    explicit WinProps(const QString &record);

    QString winName() const { return m_winName; }
    void setWinName(const QString &name) { m_winName = name; }

    bool isValid() const { return m_errorString.isNull(); }
    QString errorString() const { return m_errorString; }
    // True when the record sets no property at all.
    bool isNull() const;

    // The canonical record text: the name, then the properties that are set, in member order.
    QString toString() const;
    // Why this record could not be written as a record text and read back, or a null string.
    QString storageProblem() const;

    // Members that are not set compare equal whatever value marks them so.
    bool operator==(const WinProps &other) const;
    bool operator!=(const WinProps &other) const { return !(*this == other); }

    bool sticky;
    bool no_focus;
    bool no_title;
    bool no_border;
    bool no_border_edge;
    bool no_ctrlbtn;
    bool no_button1;
    bool no_button2;
    bool no_button3;
    bool no_tbutton;
    bool no_pager;
    QString small_image;
    QString large_image;
    bool close_soon;
    bool ontop;
    bool onbottom;
    bool init_maximize;
    bool init_minimize;
    bool focus_on_click;
    QString geometry;
    quint32 shadow;
    quint32 transparency;

private:
    friend class WinPropsTextReader;

    QString m_winName;
    QString m_errorString;
};

using WinPropsList = QList<WinProps>;

Q_DECLARE_METATYPE(WinProps)
Q_DECLARE_METATYPE(WinPropsList)

// D-Bus wire form: one struct of the name followed by the members in the table's order.
QDBusArgument &operator<<(QDBusArgument &argument, const WinProps &props);
const QDBusArgument &operator>>(const QDBusArgument &argument, WinProps &props);
QDBusArgument &operator<<(QDBusArgument &argument, const WinPropsList &list);
// Reads nothing and leaves the list empty when the data has another signature.
const QDBusArgument &operator>>(const QDBusArgument &argument, WinPropsList &list);

// D-Bus signatures of the record and of the list.
QString winPropsSignature();
QString winPropsListSignature();

// Demarshals a list after checking its signature; on a mismatch the list is left empty and
// errorMessage (when given) says what arrived instead.
bool readWinPropsList(const QDBusArgument &argument, WinPropsList &list,
                      QString *errorMessage = nullptr);

#endif
