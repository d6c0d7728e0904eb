// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// The applier's decisions. The input is lines: a byte of switches (new window, window manager,
// compositor, Openbox), the WM_CLASS instance, the class, what was applied before as a record
// text, then the collection, one record text a line. Checked: the matched record is named like
// the instance, else like the class, and is the first of its name; a decision changes exactly
// the aspects where it differs from before, and deciding again on its outcome changes nothing;
// only new windows get start properties; without a record nothing is left in force; and the
// Motif hints written keep the window's own and take away what was asked.
#include "daemon/applier/applydecision.h"
#include "fuzz/fuzzcheck.h"
#include "platform/winprops/winpropsfields.h"

#include <QStringList>

namespace {

bool isRecordKey(const QString &key)
{
    for (const WinPropsField &field : winPropsFields()) {
        if (field.key() == key)
            return true;
    }
    return false;
}

DesktopTraits traitsOf(char switches)
{
    DesktopTraits traits;
    traits.manager = windowManagerTraits((switches & 8) ? QStringLiteral("Openbox") : QString());
    traits.windowManager = switches & 2;
    traits.compositor = switches & 4;
    if (switches & 16)
        traits.unsupported = Aspect::SkipPager | Aspect::Below;
    return traits;
}

void checkMatch(const WinPropsList &collection, const QString &instance, const QString &className,
                const WinProps *found)
{
    const auto firstNamed = [&](const QString &name) -> const WinProps * {
        if (name.isEmpty())
            return nullptr;
        for (const WinProps &props : collection) {
            if (props.winName() == name)
                return &props;
        }
        return nullptr;
    };
    const WinProps *expected = firstNamed(instance);
    if (!expected)
        expected = firstNamed(className);
    FUZZ_CHECK((found == nullptr) == (expected == nullptr));
    if (found)
        FUZZ_CHECK(found->toString() == expected->toString());
}

void checkDecision(const WinProps *record, bool isNew, const LastingProps &applied,
                   const DesktopTraits &traits)
{
    const ApplyDecision decision = decide(record, isNew, applied, traits);
    FUZZ_CHECK(decision.changes == differences(decision.lasting, applied));
    FUZZ_CHECK(decide(record, false, decision.lasting, traits).changes == Aspects());
    FUZZ_CHECK(isNew || decision.start.isEmpty());
    FUZZ_CHECK(record || decision.lasting == LastingProps());
    FUZZ_CHECK(!(decision.lasting.above && decision.lasting.below));
    for (const QString &key : decision.notApplied)
        FUZZ_CHECK(isRecordKey(key));
    const QVector<quint32> own = { applied.decorationsOff, applied.functionsOff, 0, 0 };
    const QVector<quint32> hints
        = Motif::without(own, decision.lasting.decorationsOff, decision.lasting.functionsOff);
    if (decision.lasting.decorationsOff)
        FUZZ_CHECK(hints.size() == Motif::hintsLength
                   && !(hints[2] & decision.lasting.decorationsOff)
                   && (hints[0] & Motif::HintDecorations));
    if (decision.lasting.functionsOff)
        FUZZ_CHECK(!(hints[1] & decision.lasting.functionsOff));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size))
                                  .split(QLatin1Char('\n'));
    if (lines.size() < 4 || lines.at(0).isEmpty())
        return 0;
    const char switches = lines.at(0).at(0).toLatin1();
    const QString instance = lines.at(1);
    const QString className = lines.at(2);
    const WinProps before(lines.at(3));
    WinPropsList collection;
    for (int i = 4; i < lines.size(); ++i) {
        const WinProps props(lines.at(i));
        if (props.isValid())
            collection.append(props);
    }
    const RecordMatcher matcher(collection);
    const WinProps *found = matcher.match(instance, className);
    checkMatch(collection, instance, className, found);
    const LastingProps applied = before.isValid() ? lastingPropsOf(before) : LastingProps();
    checkDecision(found, switches & 1, applied, traitsOf(switches));
    return 0;
}
