// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/kwin/kwinapplier.h"

#include "daemon/kwin/kwinrules.h"
#include "platform/x11/x11connection.h"
#include "platform/x11/x11windows.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
const QString scriptPath = QStringLiteral("/KwinScript");
const QString watchScriptName = QStringLiteral("kivo-winpropsd-watch");

// Tells us the screen's geometry at once and whenever it changes, and asks us for what each new
// window gets while KWin has not read our rules yet (%1: our bus name, %2: our object).
const char watchScript[] = R"(var us = ['%1', '%2', 'org.kivo.kivowinpropsd.KwinScript'];
function reportScreen() {
    var screen = workspace.virtualScreenGeometry;
    callDBus(us[0], us[1], us[2], 'setScreen',
             [screen.x, screen.y, screen.width, screen.height].join(','));
}
function start(window, reply) {
    if (!reply)
        return;
    var properties = JSON.parse(reply);
    var frame = window.frameGeometry;
    var position = properties.position || [frame.x, frame.y];
    var size = properties.size || [frame.width, frame.height];
    if (properties.position || properties.size)
        window.frameGeometry = { x: position[0], y: position[1], width: size[0], height: size[1] };
    if (properties.maximize)
        window.setMaximize(true, true);
    if (properties.minimize)
        window.minimized = true;
}
workspace.virtualScreenGeometryChanged.connect(reportScreen);
workspace.clientAdded.connect(function (window) {
    callDBus(us[0], us[1], us[2], 'windowStart', String(window.resourceName),
             String(window.resourceClass), function (reply) { start(window, reply); });
});
reportScreen();
)";
QDBusMessage scriptingCall(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message
        = QDBusMessage::createMethodCall(kwinService, QStringLiteral("/Scripting"),
                                         QStringLiteral("org.kde.kwin.Scripting"), method);
    message.setArguments(arguments);
    return message;
}

// How long a KWin started again may take to serve its scripting: 10 s.
constexpr int scriptingRetryMs = 100;
constexpr int scriptingTries = 100;
// Another writer (System Settings) replacing the file while we write makes us start again.
constexpr int writeTries = 5;

// The file's contents, an empty one when it is missing, or nothing when it is there and cannot
// be read.
std::optional<QByteArray> readRules(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QFileInfo(path).isFile() ? file.errorString() : QStringLiteral("not a file");
        return std::nullopt;
    }
    return file.readAll();
}

bool hasRules(const WinPropsList &records)
{
    return std::any_of(records.cbegin(), records.cend(), [](const WinProps &record) {
        return !kwinRuleOf(record).entries.isEmpty();
    });
}

} // namespace

bool KwinApplier::isRunning(const QDBusConnection &bus)
{
    return bus.interface() && bus.interface()->isServiceRegistered(kwinService);
}

QString KwinApplier::defaultRulesPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/kwinrulesrc");
}

KwinApplier::KwinApplier(const QString &rulesPath, const QDBusConnection &bus, QObject *parent)
    : WindowsBackend(parent)
    , m_rulesPath(rulesPath)
    , m_bus(bus)
{
}

KwinApplier::~KwinApplier()
{
    stopWatching();
    callScripting(QStringLiteral("unloadScript"), { watchScriptName });
    for (const QString &undo : std::as_const(m_runningUndo))
        callScripting(QStringLiteral("unloadScript"), { undo });
    m_bus.unregisterObject(scriptPath);
}

void KwinApplier::start(const WinPropsList &records)
{
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qgetenv("XDG_SESSION_TYPE") == "wayland";
    m_wayland = wayland;
    setEffects(kwinEffects(wayland ? kwinOnWayland() : QStringLiteral("KWin on X11")));
    if (m_bus.registerObject(scriptPath, this, QDBusConnection::ExportScriptableSlots)) {
        loadWatchScript(scriptingTries);
        // A KWin started again (after a crash, or replaced) has lost it.
        auto *kwinWatcher = new QDBusServiceWatcher(
            kwinService, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
        connect(kwinWatcher, &QDBusServiceWatcher::serviceRegistered, this,
                [this] { loadWatchScript(scriptingTries); });
    }
    setRecords(records);
}

// A KWin that has just taken its name on the bus serves its scripting a moment later.
void KwinApplier::loadWatchScript(int triesLeft)
{
    const QDBusMessage ask = scriptingCall(QStringLiteral("isScriptLoaded"), { watchScriptName });
    auto *answer = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this, answer, triesLeft] {
        answer->deleteLater();
        if (!answer->isError())
            loadScript(
                watchScriptName,
                QString::fromLatin1(watchScript).arg(m_bus.baseService(), scriptPath).toUtf8());
        else if (triesLeft > 1)
            QTimer::singleShot(scriptingRetryMs, this,
                               [this, triesLeft] { loadWatchScript(triesLeft - 1); });
    });
}

bool KwinApplier::calledByOthers() const
{
    return calledFromDBus() && m_bus.interface()
        && message().service() != m_bus.interface()->serviceOwner(kwinService).value();
}

void KwinApplier::setScreen(const QString &geometry)
{
    if (calledByOthers())
        return;
    const QStringList numbers = geometry.split(QLatin1Char(','));
    if (numbers.size() != 4)
        return;
    const QRect screen(numbers.at(0).toInt(), numbers.at(1).toInt(), numbers.at(2).toInt(),
                       numbers.at(3).toInt());
    if (screen == m_screen)
        return;
    m_screen = screen;
    setRecords(m_records);
}

QString KwinApplier::windowStart(const QString &instance, const QString &windowClass) const
{
    // What KWin's rules will do once read, else what they never do; the instance's first.
    const QJsonObject *start = nullptr;
    for (const QHash<QString, QJsonObject> *starts : { &m_pendingStarts, &m_scriptedStarts }) {
        for (const QString &name : { instance.toLower(), windowClass.toLower() }) {
            const auto found = starts->constFind(name);
            if (!start && found != starts->cend())
                start = &*found;
        }
    }
    // Asked for every new window: the bus is asked who KWin is only when there is an answer.
    if (!start || calledByOthers())
        return {};
    return QString::fromUtf8(QJsonDocument(*start).toJson(QJsonDocument::Compact));
}

void KwinApplier::setRecords(const WinPropsList &records)
{
    m_records = records;
    m_scriptedStarts.clear();
    for (const WinProps &record : records) {
        const KwinRule rule = kwinRuleOf(record, m_screen);
        reportNoEffect(record, rule.notApplied);
        if (m_wayland && record.no_button3)
            reportOnce(
                QStringLiteral("x11 only ") + record.winName(),
                QStringLiteral("no_button3 of \"%1\" applies to its X11 windows only: %2.")
                    .arg(record.winName(), x11WindowsOnlyNote().section(QStringLiteral(": "), 1)));
        if (!rule.scriptedStart.isEmpty())
            m_scriptedStarts.insert(record.winName().toLower(), rule.scriptedStart);
    }
    // Our own reading of the file is not KWin's.
    stopWatching();
    QByteArray before;
    if (writeRules(records, before)) {
        const QJsonObject undo = kwinUndo(before, records);
        if (!undo.isEmpty())
            m_pendingUndo.append(kwinUndoScript(undo));
        for (auto name = undo.begin(); name != undo.end(); ++name) {
            if (name.value().toObject().contains(QLatin1String("skipTaskbar")))
                m_pendingTaskbarUndo.insert(name.key());
        }
        const QJsonObject starts = kwinStartsChanged(before, records, m_screen);
        for (auto start = starts.begin(); start != starts.end(); ++start)
            m_pendingStarts.insert(start.key(), start.value().toObject());
        reconfigure();
    }
    if (!m_pendingUndo.isEmpty() || !m_pendingStarts.isEmpty())
        watchForKwinReading();
}

QString KwinApplier::rulesFile() const
{
    const QFileInfo link(m_rulesPath);
    return link.isSymLink() ? link.symLinkTarget() : m_rulesPath;
}

void KwinApplier::watchForKwinReading()
{
    m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0
        || inotify_add_watch(m_inotify, QFile::encodeName(rulesFile()).constData(),
                             IN_CLOSE_NOWRITE)
            < 0) {
        stopWatching();
        return;
    }
    m_kwinReading = std::make_unique<QSocketNotifier>(m_inotify, QSocketNotifier::Read);
    connect(m_kwinReading.get(), &QSocketNotifier::activated, this, [this] {
        // KWin reads the rules and applies them in one go: what we ask next comes after.
        stopWatching();
        m_pendingStarts.clear();
        runUndoScripts();
    });
}

void KwinApplier::stopWatching()
{
    m_kwinReading.reset();
    if (m_inotify >= 0)
        ::close(m_inotify);
    m_inotify = -1;
}

void KwinApplier::runUndoScripts()
{
    if (m_pendingUndo.isEmpty())
        return;
    const QString name = QStringLiteral("kivo-winpropsd-undo-%1").arg(++m_scriptNumber);
    // KWin loads a script a while after it is told to start it: each one says when it has run,
    // and only then is it unloaded.
    const QByteArray done
        = QStringLiteral("callDBus('%1', '%2', 'org.kivo.kivowinpropsd.KwinScript', 'undoDone', "
                         "'%3');\n")
              .arg(m_bus.baseService(), scriptPath, name)
              .toUtf8();
    loadScript(name, m_pendingUndo.join() + done);
    m_runningUndo.insert(name);
    m_pendingUndo.clear();
    putX11WindowsBackOnTheTaskbar();
}

// KWin keeps what an X11 window itself wants apart from what the rules make of it, and a forced
// rule became that wish: set back by a script, such a window was off the taskbar again whenever
// KWin next read its rules (any later change). The window's own request changes the wish; sent
// for it, as any program may, once KWin no longer has the rule.
// In a thread of its own: a client holding the X server must not hold the answers on the bus.
void KwinApplier::putX11WindowsBackOnTheTaskbar()
{
    const QSet<QString> names = std::exchange(m_pendingTaskbarUndo, {});
    if (names.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    QThread *thread = QThread::create([names] {
        const std::unique_ptr<X11Connection> x11 = X11Connection::open(QByteArray());
        if (!x11)
            return;
        for (const xcb_window_t window : X11::readClientList(*x11)) {
            const std::optional<X11::WmClass> wmClass = X11::readWmClass(*x11, window);
            if (wmClass
                && (names.contains(wmClass->instance.toLower())
                    || names.contains(wmClass->className.toLower())))
                X11::requestStates(*x11, window, false, x11->ewmh()->_NET_WM_STATE_SKIP_TASKBAR);
        }
        X11::sync(*x11);
    });
    // Left to the end of the process if the display never answers.
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void KwinApplier::undoDone(const QString &name)
{
    if (calledByOthers() || !m_runningUndo.remove(name))
        return;
    callScripting(QStringLiteral("unloadScript"), { name });
    QFile::remove(m_scripts.filePath(name + QStringLiteral(".js")));
}

// Loads and starts the script under that name, in place of one loaded before under it.
void KwinApplier::loadScript(const QString &name, const QByteArray &script)
{
    const QString path = m_scripts.filePath(name + QStringLiteral(".js"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size()) {
        Q_EMIT notice(
            QStringLiteral("Cannot write a KWin script to %1: %2.").arg(path, file.errorString()));
        return;
    }
    file.close();
    callScripting(QStringLiteral("unloadScript"), { name });
    callScripting(QStringLiteral("loadScript"), { path, name });
    callScripting(QStringLiteral("start"), {});
}

void KwinApplier::callScripting(const QString &method, const QVariantList &arguments)
{
    m_bus.send(scriptingCall(method, arguments));
}

// True when the file changed. A link is followed and stays a link.
bool KwinApplier::writeRules(const WinPropsList &records, QByteArray &before)
{
    const QString path = rulesFile();
    for (int tries = 0; tries < writeTries; ++tries) {
        QString error;
        const std::optional<QByteArray> contents = readRules(path, error);
        if (!contents) {
            Q_EMIT notice(QStringLiteral("Cannot read KWin's rules in %1 (%2): window properties "
                                         "are not applied, so that no rule of yours is lost.")
                              .arg(path, error));
            return false;
        }
        before = *contents;
        const QByteArray after = kwinRulesWith(before, records, m_screen);
        if (after == before || (!QFileInfo::exists(path) && !hasRules(records)))
            return false;
        switch (replaceRules(path, before, after)) {
        case Written::Yes:
            return true;
        case Written::No:
            return false;
        case Written::ChangedMeanwhile:
            break;
        }
    }
    Q_EMIT notice(QStringLiteral("KWin's rules in %1 kept changing while they were written: "
                                 "window properties are applied with the next change.")
                      .arg(path));
    return false;
}

// Writes the rules beside the file and renames them over it, unless the file changed since it
// was read.
KwinApplier::Written KwinApplier::replaceRules(const QString &path, const QByteArray &before,
                                               const QByteArray &after)
{
    // A file its owner made read-only is left alone, also by root.
    const QFileInfo info(path);
    if (info.exists() && (!info.isWritable() || !info.permission(QFile::WriteOwner))) {
        Q_EMIT notice(QStringLiteral("KWin's rules in %1 cannot be written: window properties "
                                     "are not applied.")
                          .arg(path));
        return Written::No;
    }
    QDir().mkpath(info.absolutePath());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(after) == after.size()) {
        QString error;
        if (readRules(path, error) != before) {
            file.cancelWriting();
            return Written::ChangedMeanwhile;
        }
        if (file.commit())
            return Written::Yes;
    }
    Q_EMIT notice(
        QStringLiteral("Cannot write KWin's rules in %1: %2.").arg(path, file.errorString()));
    return Written::No;
}

void KwinApplier::reconfigure()
{
    // KWin reads its rules again a moment later and applies them to the open windows; a burst
    // of calls is read once.
    m_bus.send(QDBusMessage::createMethodCall(kwinService, QStringLiteral("/KWin"),
                                              QStringLiteral("org.kde.KWin"),
                                              QStringLiteral("reconfigure")));
}
