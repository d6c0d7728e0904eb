// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPS_H
#define KIVO_WINPROPS_H

#include <QList>
#include <QMetaType>
#include <QString>

class QDBusArgument;

// One window's properties, keyed by its window name. The switches, images, geometry, shadow and
// transparency are public members, read and written directly by their users.
class WinProps
{
public:
    // Value of an optional number that is not set; anything above 100 counts as not set.
    static constexpr quint32 NotSet = 0xFFFFFFFFu;
    static constexpr quint32 MaxPercent = 100;

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

    bool sticky = false;
    bool no_focus = false;
    bool no_title = false;
    bool no_border = false;
    bool no_border_edge = false;
    bool no_ctrlbtn = false;
    bool no_button1 = false;
    bool no_button2 = false;
    bool no_button3 = false;
    bool no_tbutton = false;
    bool no_pager = false;
    QString small_image;
    QString large_image;
    bool close_soon = false;
    bool ontop = false;
    bool onbottom = false;
    bool init_maximize = false;
    bool init_minimize = false;
    bool focus_on_click = false;
    QString geometry;
    quint32 shadow = NotSet;
    quint32 transparency = NotSet;

private:
    friend class WinPropsTextReader;

    QString m_winName;
    QString m_errorString;
};

using WinPropsList = QList<WinProps>;

Q_DECLARE_METATYPE(WinProps)
Q_DECLARE_METATYPE(WinPropsList)

// D-Bus wire form: one struct of the name followed by the members in declaration order.
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
