// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_DESKTOPEFFECTS_H
#define KIVO_DESKTOPEFFECTS_H

#include "platform/winprops/winpropsfields.h"

#include <QMetaType>
#include <QStringList>
#include <QVector>

class QDBusArgument;

// What the running desktop does with one property. The numbers go over the bus.
enum class Effect : int {
    Unknown = 0, // nobody said: a backend that forgot a property
    Applied = 1,
    NoEffect = 2,
};

struct PropertyEffect
{
    Effect effect = Effect::Unknown;
    QString note; // how it is applied there, or why not; may be empty

    bool operator==(const PropertyEffect &other) const
    {
        return effect == other.effect && note == other.note;
    }
};

// Who applies the window properties on this desktop, and what each property does there. A
// desktop where nothing applies them has no name, a reason, and every property without effect.
class DesktopEffects
{
public:
    DesktopEffects() = default;
    explicit DesktopEffects(const QString &desktop);
    static DesktopEffects nothingApplies(const QString &reason);
    // The same, said of a desktop where only the X11 windows (through Xwayland) get them.
    DesktopEffects onXwaylandOnly() const;

    QString desktop() const { return m_desktop; }
    QString reason() const { return m_reason; }
    bool applies() const { return !m_desktop.isEmpty(); }

    void set(const WinPropsField &field, Effect effect, const QString &note = QString());
    // Every property not set yet.
    void setRest(Effect effect, const QString &note = QString());
    PropertyEffect of(const WinPropsField &field) const;
    // Unknown for a key that names no property.
    PropertyEffect of(const QString &key) const;
    bool hasEffect(const WinPropsField &field) const { return of(field).effect == Effect::Applied; }
    // The keys of the properties the record sets that have no effect here, in field order.
    QStringList noEffectIn(const WinProps &record) const;
    QStringList unknownKeys() const;

    bool operator==(const DesktopEffects &other) const;
    bool operator!=(const DesktopEffects &other) const { return !(*this == other); }

private:
    friend QDBusArgument &operator<<(QDBusArgument &argument, const DesktopEffects &effects);
    friend const QDBusArgument &operator>>(const QDBusArgument &argument, DesktopEffects &effects);

    QString m_desktop;
    QString m_reason;
    QVector<PropertyEffect> m_effects = QVector<PropertyEffect>(int(winPropsFields().size()));
};

// One property's effect as it goes over the bus.
struct KeyedEffect
{
    QString key;
    PropertyEffect effect;
};

Q_DECLARE_METATYPE(DesktopEffects)
Q_DECLARE_METATYPE(KeyedEffect)

QDBusArgument &operator<<(QDBusArgument &argument, const KeyedEffect &keyed);
const QDBusArgument &operator>>(const QDBusArgument &argument, KeyedEffect &keyed);

// D-Bus wire form (ssa(sis)): the desktop, the reason, then each property's key, effect and note.
QDBusArgument &operator<<(QDBusArgument &argument, const DesktopEffects &effects);
const QDBusArgument &operator>>(const QDBusArgument &argument, DesktopEffects &effects);

// For queued signals and the bus.
void registerDesktopEffectsTypes();

// The log line for the properties of a record that have no effect on a desktop.
QString noEffectLine(const QStringList &keys, const QString &winName, const QString &desktop);

#endif
