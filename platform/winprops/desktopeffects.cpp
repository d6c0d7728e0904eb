// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/winprops/desktopeffects.h"

#include <QDBusArgument>
#include <QDBusMetaType>

namespace {

int indexOf(const WinPropsField &field)
{
    return int(&field - winPropsFields().data());
}

const WinPropsField *fieldByKey(const QString &key)
{
    for (const WinPropsField &field : winPropsFields()) {
        if (key == field.key())
            return &field;
    }
    return nullptr;
}

} // namespace

DesktopEffects::DesktopEffects(const QString &desktop)
    : m_desktop(desktop)
{
}

DesktopEffects DesktopEffects::nothingApplies(const QString &reason)
{
    DesktopEffects effects;
    effects.m_reason = reason;
    effects.setRest(Effect::NoEffect);
    return effects;
}

DesktopEffects DesktopEffects::onXwaylandOnly() const
{
    DesktopEffects effects = *this;
    effects.m_desktop = QStringLiteral("%1 (X11 windows only)").arg(m_desktop);
    return effects;
}

void DesktopEffects::set(const WinPropsField &field, Effect effect, const QString &note)
{
    m_effects[indexOf(field)] = { effect, note };
}

void DesktopEffects::setRest(Effect effect, const QString &note)
{
    for (PropertyEffect &known : m_effects) {
        if (known.effect == Effect::Unknown)
            known = { effect, note };
    }
}

PropertyEffect DesktopEffects::of(const WinPropsField &field) const
{
    return m_effects.at(indexOf(field));
}

PropertyEffect DesktopEffects::of(const QString &key) const
{
    const WinPropsField *field = fieldByKey(key);
    return field ? of(*field) : PropertyEffect();
}

QStringList DesktopEffects::noEffectIn(const WinProps &record) const
{
    QStringList keys;
    for (const WinPropsField &field : winPropsFields()) {
        if (field.isSet(record) && of(field).effect == Effect::NoEffect)
            keys.append(field.key());
    }
    return keys;
}

QStringList DesktopEffects::unknownKeys() const
{
    QStringList keys;
    for (const WinPropsField &field : winPropsFields()) {
        if (of(field).effect == Effect::Unknown)
            keys.append(field.key());
    }
    return keys;
}

bool DesktopEffects::operator==(const DesktopEffects &other) const
{
    return m_desktop == other.m_desktop && m_reason == other.m_reason
        && m_effects == other.m_effects;
}

QDBusArgument &operator<<(QDBusArgument &argument, const KeyedEffect &keyed)
{
    argument.beginStructure();
    argument << keyed.key << int(keyed.effect.effect) << keyed.effect.note;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, KeyedEffect &keyed)
{
    int effect = 0;
    argument.beginStructure();
    argument >> keyed.key >> effect >> keyed.effect.note;
    argument.endStructure();
    // A number this side does not know is as good as none.
    const bool known = effect == int(Effect::Applied) || effect == int(Effect::NoEffect);
    keyed.effect.effect = known ? Effect(effect) : Effect::Unknown;
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DesktopEffects &effects)
{
    QVector<KeyedEffect> keyed;
    for (const WinPropsField &field : winPropsFields())
        keyed.append({ field.key(), effects.of(field) });
    argument.beginStructure();
    argument << effects.m_desktop << effects.m_reason << keyed;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DesktopEffects &effects)
{
    QVector<KeyedEffect> keyed;
    argument.beginStructure();
    argument >> effects.m_desktop >> effects.m_reason >> keyed;
    argument.endStructure();
    effects.m_effects.fill(PropertyEffect());
    for (const KeyedEffect &one : keyed) {
        if (const WinPropsField *field = fieldByKey(one.key))
            effects.set(*field, one.effect.effect, one.effect.note);
    }
    return argument;
}

void registerDesktopEffectsTypes()
{
    qRegisterMetaType<DesktopEffects>("DesktopEffects");
    qDBusRegisterMetaType<KeyedEffect>();
    qDBusRegisterMetaType<QVector<KeyedEffect>>();
    qDBusRegisterMetaType<DesktopEffects>();
}

QString noEffectLine(const QStringList &keys, const QString &winName, const QString &desktop)
{
    return QStringLiteral("The properties %1 of \"%2\" have no effect on this desktop (%3).")
        .arg(keys.join(QStringLiteral(", ")), winName, desktop);
}
