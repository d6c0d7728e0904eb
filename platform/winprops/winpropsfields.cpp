// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/winprops/winpropsfields.h"

namespace {

WinPropsField switchField(const char *name, bool WinProps::*flag)
{
    return { name, WinPropsKind::Switch, flag, nullptr, nullptr, 0 };
}

WinPropsField textField(const char *name, QString WinProps::*text, WinPropsKind kind)
{
    return { name, kind, nullptr, text, nullptr, 0 };
}

WinPropsField numberField(const char *name, quint32 WinProps::*number)
{
    return { name, WinPropsKind::Number, nullptr, nullptr, number, WinProps::NotSet };
}

} // namespace

const std::vector<WinPropsField> &winPropsFields()
{
    static const std::vector<WinPropsField> fields = {
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
        textField("small_image", &WinProps::small_image, WinPropsKind::Image),
        textField("large_image", &WinProps::large_image, WinPropsKind::Image),
        switchField("close_soon", &WinProps::close_soon),
        switchField("ontop", &WinProps::ontop),
        switchField("onbottom", &WinProps::onbottom),
        switchField("init_maximize", &WinProps::init_maximize),
        switchField("init_minimize", &WinProps::init_minimize),
        switchField("focus_on_click", &WinProps::focus_on_click),
        textField("geometry", &WinProps::geometry, WinPropsKind::Geometry),
        numberField("shadow", &WinProps::shadow),
        numberField("transparency", &WinProps::transparency),
    };
    return fields;
}

namespace {

template<typename Member> const WinPropsField &fieldWhere(Member member)
{
    for (const WinPropsField &field : winPropsFields()) {
        if (member(field))
            return field;
    }
    Q_UNREACHABLE();
}

} // namespace

const WinPropsField &fieldOf(bool WinProps::*flag)
{
    return fieldWhere([flag](const WinPropsField &field) { return field.flag == flag; });
}

const WinPropsField &fieldOf(QString WinProps::*text)
{
    return fieldWhere([text](const WinPropsField &field) { return field.text == text; });
}

const WinPropsField &fieldOf(quint32 WinProps::*number)
{
    return fieldWhere([number](const WinPropsField &field) { return field.number == number; });
}

bool WinPropsField::isSet(const WinProps &props) const
{
    switch (kind) {
    case WinPropsKind::Switch:
        return props.*flag;
    case WinPropsKind::Image:
    case WinPropsKind::Geometry:
        return !(props.*text).isEmpty();
    case WinPropsKind::Number:
        return props.*number <= WinProps::MaxPercent;
    }
    return false;
}

void WinPropsField::reset(WinProps &props) const
{
    switch (kind) {
    case WinPropsKind::Switch:
        props.*flag = byDefault != 0;
        break;
    case WinPropsKind::Image:
    case WinPropsKind::Geometry:
        (props.*text).clear();
        break;
    case WinPropsKind::Number:
        props.*number = byDefault;
        break;
    }
}

bool WinPropsField::agree(const WinProps &a, const WinProps &b) const
{
    switch (kind) {
    case WinPropsKind::Switch:
        return a.*flag == b.*flag;
    case WinPropsKind::Image:
    case WinPropsKind::Geometry:
        return a.*text == b.*text;
    case WinPropsKind::Number:
        return a.*number == b.*number || (!isSet(a) && !isSet(b));
    }
    return false;
}

QVariant WinPropsField::value(const WinProps &props) const
{
    QVariant result;
    visit(props, [&result](const auto &member) { result = QVariant::fromValue(member); });
    return result;
}

void WinPropsField::setValue(WinProps &props, const QVariant &value) const
{
    visit(props, [&value](auto &member) {
        member = value.value<std::remove_reference_t<decltype(member)>>();
    });
}

char WinPropsField::dbusType() const
{
    switch (kind) {
    case WinPropsKind::Switch:
        return 'b';
    case WinPropsKind::Image:
    case WinPropsKind::Geometry:
        return 's';
    case WinPropsKind::Number:
        return 'u';
    }
    return '?';
}
