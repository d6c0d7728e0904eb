// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/kwin/kwinrules.h"

#include "platform/winprops/geometrystring.h"
#include "platform/winprops/winpropsfields.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cstring>

namespace {

// KWin's rule policies and ways of matching.
constexpr int dontAffect = 1;
constexpr int force = 2;
constexpr int applyInitially = 3;
constexpr int exactMatch = 1;
constexpr int patternMatch = 3;

// Every property our rules may set. KWin takes each property from the first rule matching the
// window that names it, "do not affect" included: a rule matching a window by its instance
// names them all, so that a record named like its class, further down, gives it none.
const char *const ourKeys[]
    = { "desktops",  "acceptfocus", "noborder",      "closeable",     "skiptaskbar",
        "skippager", "above",       "below",         "opacityactive", "opacityinactive",
        "position",  "size",        "maximizehoriz", "maximizevert",  "minimize" };

const QByteArray ourIdPrefix = QByteArrayLiteral("kivo-winpropsd-");
const QByteArray ourMark = QByteArrayLiteral(" (kivo-winpropsd)");

// A value as KConfig reads it back: backslashes, line ends and spaces at either end escaped.
QByteArray escaped(const QString &value)
{
    QByteArray text = value.toUtf8();
    text.replace('\\', "\\\\").replace('\n', "\\n").replace('\r', "\\r").replace('\t', "\\t");
    if (text.startsWith(' '))
        text.replace(0, 1, "\\s");
    if (text.endsWith(' '))
        text.replace(text.size() - 1, 1, "\\s");
    return text;
}

// A value as KConfig reads it: the escapes of escaped() taken back.
QString unescaped(const QByteArray &value)
{
    QByteArray text;
    for (int i = 0; i < value.size(); ++i) {
        if (value.at(i) != '\\' || i + 1 == value.size()) {
            text += value.at(i);
            continue;
        }
        const char escape = value.at(++i);
        const char *const from = "snrt\\";
        const char *const to = " \n\r\t\\";
        const char *found = std::strchr(from, escape);
        text += found ? to[found - from] : escape;
    }
    return QString::fromUtf8(text);
}

// What KWin matches a window by its instance against: its whole class, "instance class" in lower
// case.
QString instancePattern(const QString &name)
{
    return QStringLiteral("(?i)^") + QRegularExpression::escape(name) + QLatin1Char(' ');
}

QByteArray entry(const QByteArray &key, const QByteArray &value)
{
    return key + '=' + value;
}

QByteArray descriptionOf(const QString &name)
{
    return entry("Description", escaped(name)) + ourMark;
}

// A property's value and its policy.
void add(KwinRule &rule, const QByteArray &key, const QByteArray &value, int policy)
{
    rule.entries << entry(key, value) << entry(key + "rule", QByteArray::number(policy));
}

// The frame's left or top edge for an offset; one from the far edge puts the frame's far edge
// that far inside the screen's.
qint64 nearEdge(int offset, bool fromFarEdge, int size, int screenStart, int screenExtent)
{
    if (!fromFarEdge)
        return offset;
    return qint64(screenStart) + screenExtent - offset - size;
}

// KWin's position and size rules are the frame's, as read back from KWin: offsets from the right
// or bottom edge place the frame's far edge, as on X11, and need its size.
void addGeometry(KwinRule &rule, const QString &geometry, const QRect &screen)
{
    const std::optional<GeometrySpec> placed = parseGeometryString(geometry);
    const bool sized = placed && placed->width > 0 && placed->height > 0;
    const bool fromFarEdge = placed && (placed->fromRightEdge || placed->fromBottomEdge);
    if (!placed || (fromFarEdge && !sized)) {
        rule.notApplied.append(QStringLiteral("geometry"));
        return;
    }
    // Placed from a far edge once the screen is known.
    if (!fromFarEdge || !screen.isEmpty()) {
        const qint64 x
            = nearEdge(placed->x, placed->fromRightEdge, placed->width, screen.x(), screen.width());
        const qint64 y = nearEdge(placed->y, placed->fromBottomEdge, placed->height, screen.y(),
                                  screen.height());
        // KWin places a window itself where the position is left of or above every output.
        if (x >= screen.left() && y >= screen.top())
            add(rule, "position", QByteArray::number(x) + ',' + QByteArray::number(y),
                applyInitially);
        else
            rule.scriptedStart.insert(QLatin1String("position"), QJsonArray { int(x), int(y) });
    }
    if (sized)
        add(rule, "size",
            QByteArray::number(placed->width) + ',' + QByteArray::number(placed->height),
            applyInitially);
    if (sized && !rule.scriptedStart.isEmpty())
        rule.scriptedStart.insert(QLatin1String("size"),
                                  QJsonArray { placed->width, placed->height });
}

void addLasting(KwinRule &rule, const WinProps &record)
{
    if (record.sticky)
        add(rule, "desktops", {}, force); // no desktop named: all of them
    if (record.no_focus)
        add(rule, "acceptfocus", "false", force);
    if (record.no_title && record.no_border)
        add(rule, "noborder", "true", force);
    else if (record.no_title || record.no_border)
        rule.notApplied.append(QLatin1String(record.no_title ? "no_title" : "no_border"));
    if (record.no_button3)
        add(rule, "closeable", "false", force);
    if (record.no_tbutton)
        add(rule, "skiptaskbar", "true", force);
    if (record.no_pager)
        add(rule, "skippager", "true", force);
    // With both, on top wins, as on X11.
    if (record.ontop)
        add(rule, "above", "true", force);
    else if (record.onbottom)
        add(rule, "below", "true", force);
    if (record.transparency <= WinProps::MaxPercent) {
        const QByteArray opacity = QByteArray::number(WinProps::MaxPercent - record.transparency);
        add(rule, "opacityactive", opacity, force);
        add(rule, "opacityinactive", opacity, force);
    }
}

// One group of the file: its header line as written, and its text from the header up to the
// next one.
struct Group
{
    QByteArray header;
    QByteArray text;

    QByteArray id() const { return header.mid(1, header.indexOf(']') - 1); }

    // Read line by line in place: a file may hold many thousands of groups, each read often.
    QByteArray value(const QByteArray &key) const
    {
        int start = text.indexOf('\n') + 1; // after the header
        while (start > 0 && start < text.size()) {
            const int newline = text.indexOf('\n', start);
            const int end = newline < 0 ? text.size() : newline;
            const int equals = text.indexOf('=', start);
            if (equals > start && equals < end
                && QByteArray::fromRawData(text.constData() + start, equals - start).trimmed()
                    == key)
                return text.mid(equals + 1, end - equals - 1).trimmed();
            start = end + 1;
        }
        return {};
    }

    // KWin, when it ends normally, writes every rule it holds back under a number of its own:
    // ours then keep only the mark on their description, after the class they match.
    bool isOurs() const
    {
        const QByteArray description = value("Description");
        if (!description.endsWith(ourMark))
            return false;
        if (id().startsWith(ourIdPrefix))
            return true;
        const QByteArray name = description.chopped(ourMark.size());
        const QByteArray matched = value("wmclass");
        return name == matched || escaped(instancePattern(unescaped(name))) == matched;
    }
};

struct RulesFile
{
    QByteArray preamble;
    QList<Group> groups;
    int generalIndex = -1;
    // Looked up once: a file may hold many thousands of groups.
    QSet<QByteArray> ourIds;
    QSet<QByteArray> otherIds;

    explicit RulesFile(const QByteArray &file)
    {
        int position = 0;
        while (position < file.size()) {
            const int newline = file.indexOf('\n', position);
            const int end = newline < 0 ? file.size() : newline + 1;
            const QByteArray line = file.mid(position, end - position);
            if (line.trimmed().startsWith('['))
                groups.append({ line.trimmed(), {} });
            (groups.isEmpty() ? preamble : groups.last().text) += line;
            position = end;
        }
        for (int i = 0; i < groups.size(); ++i) {
            (groups.at(i).isOurs() ? ourIds : otherIds).insert(groups.at(i).id());
            if (groups.at(i).header == "[General]" && generalIndex < 0)
                generalIndex = i;
        }
    }

    const Group *general() const { return generalIndex < 0 ? nullptr : &groups.at(generalIndex); }
    bool isOurs(const QByteArray &id) const { return ourIds.contains(id); }

    // As [General] lists them: "rules" (commas inside an id escaped), else 1 to "count".
    QByteArrayList listedIds() const
    {
        const Group *settings = general();
        if (!settings)
            return {};
        const QByteArray rules = settings->value("rules");
        QByteArrayList ids;
        if (rules.isEmpty()) {
            const int count = settings->value("count").toInt();
            for (int number = 1; number <= count; ++number)
                ids.append(QByteArray::number(number));
            return ids;
        }
        QByteArray id;
        for (int i = 0; i < rules.size(); ++i) {
            if (rules.at(i) == ',' && (i == 0 || rules.at(i - 1) != '\\')) {
                ids.append(id);
                id.clear();
            } else {
                id += rules.at(i);
            }
        }
        ids.append(id);
        return ids;
    }
};

// [General] with count and rules set to the ids; its other entries kept.
QByteArray generalWith(const Group *general, const QByteArrayList &ids)
{
    const QByteArray count = "count=" + QByteArray::number(ids.size());
    const QByteArray rules = "rules=" + ids.join(',');
    if (!general)
        return "[General]\n" + count + '\n' + rules + "\n\n";
    QByteArrayList lines = general->text.split('\n');
    bool countWritten = false;
    bool rulesWritten = false;
    for (QByteArray &line : lines) {
        const QByteArray key = line.left(line.indexOf('=')).trimmed();
        if (line.contains('=') && key == "count") {
            line = count;
            countWritten = true;
        } else if (line.contains('=') && key == "rules") {
            line = rules;
            rulesWritten = true;
        }
    }
    if (!rulesWritten)
        lines.insert(1, rules);
    if (!countWritten)
        lines.insert(1, count);
    return lines.join('\n');
}

void endLine(QByteArray &text)
{
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
}

// A forced property of the rules and the window's property in KWin's scripts that takes it back.
struct Undo
{
    const char *key;
    const char *windowProperty;
    double value;
};

const Undo undoes[] = { { "noborder", "noBorder", 0 },      { "above", "keepAbove", 0 },
                        { "below", "keepBelow", 0 },        { "skiptaskbar", "skipTaskbar", 0 },
                        { "skippager", "skipPager", 0 },    { "desktops", "onAllDesktops", 0 },
                        { "opacityactive", "opacity", 1.0 } };

// The window properties that a rule's entries force, with the values that take them back.
QJsonObject undoOf(const QByteArrayList &entries)
{
    QJsonObject properties;
    for (const Undo &undo : undoes) {
        if (entries.contains(QByteArray(undo.key) + "rule=" + QByteArray::number(force))) {
            const QString property = QLatin1String(undo.windowProperty);
            properties.insert(property,
                              undo.value == 0 ? QJsonValue(false) : QJsonValue(undo.value));
        }
    }
    return properties;
}

// What the rules force, by the record's name in lower case, as KWin compares it.
using ForcedByClass = QHash<QString, QJsonObject>;

void addForced(ForcedByClass &forced, const QString &windowClass, const QByteArrayList &entries)
{
    QJsonObject &properties = forced[windowClass.toLower()];
    const QJsonObject more = undoOf(entries);
    for (auto property = more.begin(); property != more.end(); ++property)
        properties.insert(property.key(), property.value());
}

QByteArrayList trimmedLines(const QByteArray &text)
{
    QByteArrayList lines = text.split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    return lines;
}

// Our rules in the file, each as the record's name and its entries.
QList<QPair<QString, QByteArrayList>> ourRules(const QByteArray &file)
{
    QList<QPair<QString, QByteArrayList>> rules;
    for (const Group &group : RulesFile(file).groups) {
        // A record's rule by instance says what its rule by class says.
        if (group.isOurs() && !group.text.contains("\nwmclasscomplete=true"))
            rules.append({ unescaped(group.value("Description").chopped(ourMark.size())),
                           trimmedLines(group.text) });
    }
    return rules;
}

// What a rule's entries apply initially, as our KWin script sets it on a new window.
QJsonObject startOf(const QByteArrayList &entries)
{
    const auto initially = [&entries](const QByteArray &key) {
        return entries.contains(key + "rule=" + QByteArray::number(applyInitially));
    };
    // A pair of numbers, "x,y" or "width,height".
    const auto pairOf = [&entries](const QByteArray &key) {
        const QByteArray prefix = key + '=';
        for (const QByteArray &entry : entries) {
            const QByteArrayList numbers = entry.mid(prefix.size()).split(',');
            if (entry.startsWith(prefix) && numbers.size() == 2)
                return QJsonArray { numbers.at(0).toInt(), numbers.at(1).toInt() };
        }
        return QJsonArray();
    };
    QJsonObject start;
    for (const char *const key : { "position", "size" }) {
        if (initially(key) && !pairOf(key).isEmpty())
            start.insert(QLatin1String(key), pairOf(key));
    }
    if (initially("maximizehoriz") && initially("maximizevert"))
        start.insert(QLatin1String("maximize"), true);
    if (initially("minimize"))
        start.insert(QLatin1String("minimize"), true);
    return start;
}

// Whether a user's rule may match windows of that class, as KWin's matching of the class goes:
// any window, exactly, a part of it, or a pattern (ignoring case, as KWin keeps classes).
bool userRuleMatches(const Group &group, const QString &windowClass)
{
    const QString wanted = unescaped(group.value("wmclass"));
    switch (group.value("wmclassmatch").toInt()) {
    case 0:
        return true;
    case 1:
        return wanted.compare(windowClass, Qt::CaseInsensitive) == 0;
    case 2:
        return windowClass.contains(wanted, Qt::CaseInsensitive);
    case 3:
        return QRegularExpression(wanted, QRegularExpression::CaseInsensitiveOption)
            .match(windowClass)
            .hasMatch();
    default:
        return false;
    }
}

// The user's own rules that force something, with what they force: KWin holds that there by
// itself, and setting it back would override the user's choice. Looked up once per change.
QList<QPair<Group, QStringList>> forcedByTheUser(const RulesFile &rules)
{
    QList<QPair<Group, QStringList>> forced;
    for (int i = 0; i < rules.groups.size(); ++i) {
        const Group &group = rules.groups.at(i);
        if (i == rules.generalIndex || rules.isOurs(group.id()))
            continue;
        const QStringList properties = undoOf(trimmedLines(group.text)).keys();
        if (!properties.isEmpty())
            forced.append({ group, properties });
    }
    return forced;
}

QByteArrayList userRuleIds(const RulesFile &rules)
{
    QByteArrayList ids;
    for (const QByteArray &id : rules.listedIds()) {
        if (!rules.isOurs(id))
            ids.append(id);
    }
    return ids;
}

} // namespace

QByteArray asJavaScript(const QJsonObject &object)
{
    // JSON takes U+2028 and U+2029 as they are, JavaScript before ES2019 as line ends.
    return QJsonDocument(object)
        .toJson(QJsonDocument::Compact)
        .replace("\xE2\x80\xA8", "\\u2028")
        .replace("\xE2\x80\xA9", "\\u2029");
}

QString kwinOnWayland()
{
    return QStringLiteral("KWin on Wayland");
}

QString x11WindowsOnlyNote()
{
    return QStringLiteral("X11 windows only: KWin keeps Wayland windows closeable");
}

DesktopEffects kwinEffects(const QString &desktop)
{
    DesktopEffects effects(desktop);
    const QString wholeFrame
        = QStringLiteral("only together with %1: KWin's rule takes the whole frame away");
    effects.set(fieldOf(&WinProps::no_title), Effect::Applied,
                wholeFrame.arg(QStringLiteral("no_border")));
    effects.set(fieldOf(&WinProps::no_border), Effect::Applied,
                wholeFrame.arg(QStringLiteral("no_title")));
    effects.set(fieldOf(&WinProps::onbottom), Effect::Applied,
                QStringLiteral("not together with ontop"));
    effects.set(fieldOf(&WinProps::geometry), Effect::Applied,
                QStringLiteral("offsets from the right or bottom edge need a size"));
    for (bool WinProps::*done : { &WinProps::sticky, &WinProps::no_focus, &WinProps::no_button3,
                                  &WinProps::no_tbutton, &WinProps::no_pager, &WinProps::ontop,
                                  &WinProps::init_maximize, &WinProps::init_minimize })
        effects.set(fieldOf(done), Effect::Applied);
    if (desktop == kwinOnWayland())
        effects.set(fieldOf(&WinProps::no_button3), Effect::Applied, x11WindowsOnlyNote());
    effects.set(fieldOf(&WinProps::transparency), Effect::Applied);
    // KWin's rules have nothing for these.
    for (bool WinProps::*none :
         { &WinProps::no_border_edge, &WinProps::no_ctrlbtn, &WinProps::no_button1,
           &WinProps::no_button2, &WinProps::close_soon, &WinProps::focus_on_click })
        effects.set(fieldOf(none), Effect::NoEffect);
    for (QString WinProps::*none : { &WinProps::small_image, &WinProps::large_image })
        effects.set(fieldOf(none), Effect::NoEffect);
    effects.set(fieldOf(&WinProps::shadow), Effect::NoEffect);
    return effects;
}

KwinRule kwinRuleOf(const WinProps &record, const QRect &screen)
{
    KwinRule rule;
    static const DesktopEffects effects = kwinEffects(QString());
    for (const WinPropsField &field : winPropsFields()) {
        if (field.isSet(record) && !effects.hasEffect(field))
            rule.notApplied.append(field.key());
    }
    addLasting(rule, record);
    if (!record.geometry.isEmpty())
        addGeometry(rule, record.geometry, screen);
    if (record.init_maximize) {
        add(rule, "maximizehoriz", "true", applyInitially);
        add(rule, "maximizevert", "true", applyInitially);
    }
    if (record.init_minimize)
        add(rule, "minimize", "true", applyInitially);
    if (!rule.entries.isEmpty()) {
        rule.entries = QByteArrayList {
            descriptionOf(record.winName()), entry("wmclass", escaped(record.winName())),
            entry("wmclassmatch", QByteArray::number(exactMatch)), "wmclasscomplete=false"
        } + rule.entries;
    }
    rule.notApplied.sort();
    return rule;
}

QByteArrayList kwinInstanceRule(const KwinRule &rule, const QString &name)
{
    // After the class rule's own four match lines.
    const QByteArrayList properties = rule.entries.mid(4);
    QByteArrayList byInstance { descriptionOf(name),
                                entry("wmclass", escaped(instancePattern(name))),
                                entry("wmclassmatch", QByteArray::number(patternMatch)),
                                "wmclasscomplete=true" };
    byInstance += properties;
    QSet<QByteArray> named;
    for (const QByteArray &line : properties) {
        const int policy = line.indexOf("rule=");
        if (policy > 0)
            named.insert(line.left(policy));
    }
    for (const char *const key : ourKeys) {
        if (!named.contains(key))
            byInstance.append(QByteArray(key) + "rule=" + QByteArray::number(dontAffect));
    }
    return byInstance;
}

QByteArrayList kwinUserRuleIds(const QByteArray &file)
{
    return userRuleIds(RulesFile(file));
}

QByteArray kwinRulesWith(const QByteArray &file, const WinPropsList &records, const QRect &screen)
{
    const RulesFile rules(file);
    QByteArrayList ids = userRuleIds(rules);
    QList<QPair<KwinRule, QString>> ours;
    for (const WinProps &record : records) {
        KwinRule rule = kwinRuleOf(record, screen);
        if (!rule.entries.isEmpty())
            ours.append({ std::move(rule), record.winName() });
    }
    // A window's instance first, then its class: where records of both names match a window,
    // the instance's wins, as on every desktop.
    QByteArray ourGroups;
    int number = 0;
    for (const bool byInstance : { true, false }) {
        for (const auto &rule : qAsConst(ours)) {
            QByteArray id;
            do
                id = ourIdPrefix + QByteArray::number(++number);
            while (rules.otherIds.contains(id));
            ids.append(id);
            const QByteArrayList entries
                = byInstance ? kwinInstanceRule(rule.first, rule.second) : rule.first.entries;
            ourGroups += "\n[" + id + "]\n" + entries.join('\n') + '\n';
        }
    }
    // The user's groups stay where they are, [$Version] and [General] too.
    QByteArray text = rules.preamble;
    if (!rules.general()) {
        endLine(text);
        text += generalWith(nullptr, ids);
    }
    for (int i = 0; i < rules.groups.size(); ++i) {
        if (rules.groups.at(i).isOurs())
            continue;
        endLine(text);
        text += i == rules.generalIndex ? generalWith(&rules.groups.at(i), ids)
                                        : rules.groups.at(i).text;
    }
    endLine(text);
    // The blank line before our first group stays with the group above it, and goes with ours.
    if (ourGroups.isEmpty()) {
        while (text.endsWith("\n\n"))
            text.chop(1);
        return text;
    }
    if (text.endsWith("\n\n"))
        ourGroups.remove(0, 1);
    return text + ourGroups;
}

QJsonObject kwinUndo(const QByteArray &before, const WinPropsList &after)
{
    ForcedByClass forced;
    for (const auto &rule : ourRules(before))
        addForced(forced, rule.first, rule.second);
    ForcedByClass kept;
    for (const WinProps &record : after)
        addForced(kept, record.winName(), kwinRuleOf(record).entries);
    const QList<QPair<Group, QStringList>> usersForced = forcedByTheUser(RulesFile(before));
    QJsonObject undo;
    for (auto windowClass = forced.cbegin(); windowClass != forced.cend(); ++windowClass) {
        QJsonObject properties = windowClass.value();
        for (const QString &property : kept.value(windowClass.key()).keys())
            properties.remove(property);
        for (const auto &user : usersForced) {
            if (!userRuleMatches(user.first, windowClass.key()))
                continue;
            for (const QString &property : user.second)
                properties.remove(property);
        }
        if (!properties.isEmpty())
            undo.insert(windowClass.key(), properties);
    }
    return undo;
}

QByteArray kwinUndoScript(const QJsonObject &undo)
{
    if (undo.isEmpty())
        return {};
    return "var undo = " + asJavaScript(undo)
        + ";\n"
          "var has = function (name) { return Object.prototype.hasOwnProperty.call(undo, name); "
          "};\n"
          "var windows = workspace.clientList();\n"
          "for (var i = 0; i < windows.length; ++i) {\n"
          "    var name = has(windows[i].resourceName) ? windows[i].resourceName\n"
          "                                            : windows[i].resourceClass;\n"
          "    if (has(name))\n"
          "        for (var property in undo[name])\n"
          "            windows[i][property] = undo[name][property];\n"
          "}\n";
}

QJsonObject kwinStartsChanged(const QByteArray &before, const WinPropsList &after,
                              const QRect &screen)
{
    QHash<QString, QJsonObject> started;
    for (const auto &rule : ourRules(before))
        started.insert(rule.first.toLower(), startOf(rule.second));
    QJsonObject starts;
    for (const WinProps &record : after) {
        const QJsonObject start = startOf(kwinRuleOf(record, screen).entries);
        const QString windowClass = record.winName().toLower();
        if (!start.isEmpty() && start != started.value(windowClass))
            starts.insert(windowClass, start);
    }
    return starts;
}
