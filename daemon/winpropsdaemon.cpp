// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon/winpropsdaemon.h"

#include "platform/winprops/winpropsservice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>

#include <QFileInfo>
#include <QRandomGenerator>
#include <malloc.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {
QString removalProblem(const QStringList &names)
{
    for (const QString &name : names) {
        const QString problem = nameProblem(name);
        if (!problem.isNull())
            return problem;
    }
    return {};
}
} // namespace

QString WinPropsDaemon::invalidArgumentError()
{
    return QStringLiteral("org.kivo.Kivo.WinProps.Error.InvalidArgument");
}

QString WinPropsDaemon::storageError()
{
    return QStringLiteral("org.kivo.Kivo.WinProps.Error.Storage");
}

QString WinPropsDaemon::notReferencedError()
{
    return QStringLiteral("org.kivo.Kivo.WinProps.Error.NotReferenced");
}

QString WinPropsDaemon::tooLargeError()
{
    return QStringLiteral("org.kivo.Kivo.WinProps.Error.TooLarge");
}

WinPropsDaemon::WinPropsDaemon(const WinPropsStore &store, const WinPropsList &records,
                               const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_records(records)
    , m_indexOfName(nameIndexOf(records))
    , m_wireSize(wireSize(records))
    // 52 bits, so that clients that read numbers as doubles still read them exactly.
    , m_generation(QRandomGenerator::global()->generate64() >> 12)
    , m_clientWatcher(QString(), bus, QDBusServiceWatcher::WatchForUnregistration)
{
    m_largeReplies.setMaxThreadCount(1);
    connect(&m_clientWatcher, &QDBusServiceWatcher::serviceUnregistered, this,
            &WinPropsDaemon::clientVanished);
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &WinPropsDaemon::checkIdle);
    m_fileSettling.setSingleShot(true);
    m_fileSettling.setInterval(50);
    m_trimming.setSingleShot(true);
    m_trimming.setInterval(500);
    connect(&m_trimming, &QTimer::timeout, this, [] { ::malloc_trim(0); });
    connect(&m_fileWatcher, &QFileSystemWatcher::fileChanged, &m_fileSettling,
            qOverload<>(&QTimer::start));
    connect(&m_fileWatcher, &QFileSystemWatcher::directoryChanged, &m_fileSettling,
            qOverload<>(&QTimer::start));
    connect(&m_fileSettling, &QTimer::timeout, this, [this] {
        watchFile();
        followFile();
    });
    m_lateAppendsCheck.setInterval(50);
    connect(&m_lateAppendsCheck, &QTimer::timeout, this, &WinPropsDaemon::takeUpLateAppends);
    watchFile();
}

bool WinPropsDaemon::keepAside(const QList<RejectedLine> &rejected)
{
    if (rejected.isEmpty())
        return true;
    const QString path = QDir::toNativeSeparators(m_store.path());
    for (const RejectedLine &line : rejected) {
        if (line.number == 0)
            Q_EMIT report(QStringLiteral("%1: %2").arg(path, line.reason));
        else
            Q_EMIT report(QStringLiteral("%1:%2: %3").arg(path).arg(line.number).arg(line.reason));
    }
    QString errorMessage;
    const QString sidePath = m_store.keepRejected(rejected, errorMessage);
    if (sidePath.isNull()) {
        Q_EMIT report(errorMessage);
        return false;
    }
    if (rejected.first().number == 0)
        Q_EMIT report(QStringLiteral("%1 was not loaded; its contents are kept in %2.")
                          .arg(path, QDir::toNativeSeparators(sidePath)));
    else
        Q_EMIT report(QStringLiteral("%1 unreadable line(s) of %2 were left out and kept in %3.")
                          .arg(rejected.size())
                          .arg(path, QDir::toNativeSeparators(sidePath)));
    return true;
}

WinPropsDaemon::~WinPropsDaemon()
{
    // Replies not yet built are not waited for: the daemon is ending.
    m_largeReplies.clear();
    m_largeReplies.waitForDone();
}

void WinPropsDaemon::setIdleTimeout(int seconds)
{
    m_exitsWhenIdle = true;
    m_idleTimer.setInterval(seconds * 1000);
    m_idleTimer.start();
}

void WinPropsDaemon::addRef()
{
    noteCall();
    const QString client = message().service();
    if (m_references.value(client) == 0)
        m_clientWatcher.addWatchedService(client);
    ++m_references[client];
}

WinPropsList WinPropsDaemon::getAllProperties()
{
    beginCall();
    if (rejectTooLarge())
        return {};
    if (isLargeReply()) {
        replyLater({ QVariant::fromValue(m_records) });
        return {};
    }
    return m_records;
}

WinPropsList WinPropsDaemon::getAllPropertiesAndGeneration(qulonglong &generation)
{
    beginCall();
    generation = m_generation;
    if (rejectTooLarge())
        return {};
    if (isLargeReply()) {
        replyLater({ QVariant::fromValue(m_records), QVariant::fromValue(generation) });
        return {};
    }
    return m_records;
}

bool WinPropsDaemon::rejectTooLarge()
{
    if (m_wireSize <= MaxWireArraySize)
        return false;
    sendErrorReply(tooLargeError(),
                   tr("The %1 window records take %2 bytes, more than the %3 that one D-Bus "
                      "reply can carry; remove some with removeWindowProperties to read "
                      "them again.")
                       .arg(m_records.size())
                       .arg(m_wireSize)
                       .arg(MaxWireArraySize));
    return true;
}

// Building a reply of some 60 MB takes about a third of a second: a client asking again and again
// without reading would otherwise keep every other answer waiting.
bool WinPropsDaemon::isLargeReply() const
{
    constexpr qint64 largeReplyBytes = 1 << 20;
    return m_wireSize > largeReplyBytes && calledFromDBus();
}

void WinPropsDaemon::replyLater(const QVariantList &arguments)
{
    setDelayedReply(true);
    QDBusMessage reply = message().createReply(arguments);
    QDBusConnection bus = connection();
    // The records are shared, not copied: a change made meanwhile detaches the daemon's own.
    m_largeReplies.start([bus, reply]() mutable { bus.send(reply); });
}

WinPropsList WinPropsDaemon::getPropertiesAndGeneration(const QStringList &winNames,
                                                        qulonglong &generation)
{
    beginCall();
    generation = m_generation;
    std::vector<int> found;
    found.reserve(winNames.size());
    for (const QString &name : winNames) {
        const int index = indexOf(name);
        if (index >= 0)
            found.push_back(index);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    WinPropsList records;
    records.reserve(int(found.size()));
    for (const int index : found)
        records.append(m_records.at(index));
    return records;
}

WinProps WinPropsDaemon::getWindowProperties(const QString &winName)
{
    beginCall();
    if (rejectName(winName))
        return {};
    const int index = indexOf(winName);
    if (index >= 0)
        return m_records.at(index);
    WinProps none;
    none.setWinName(winName);
    return none;
}

void WinPropsDaemon::release()
{
    noteCall();
    const QString client = message().service();
    auto count = m_references.find(client);
    if (count == m_references.end()) {
        sendErrorReply(notReferencedError(), tr("release was called without a matching addRef."));
        return;
    }
    if (--*count == 0) {
        m_references.erase(count);
        m_clientWatcher.removeWatchedService(client);
    }
}

bool WinPropsDaemon::removeWindowProperties(const QString &winName)
{
    beginCall();
    if (rejectName(winName))
        return false;
    const int index = indexOf(winName);
    if (index < 0)
        return false;
    WinPropsList records = m_records;
    records.removeAt(index);
    if (!store(records))
        return false;
    announce([this, winName] { Q_EMIT removedWindowProperties(winName); });
    return true;
}

bool WinPropsDaemon::renameWindow(const QString &currentName, const QString &newName)
{
    beginCall();
    if (rejectName(currentName) || rejectName(newName))
        return false;
    const int index = indexOf(currentName);
    if (index < 0 || indexOf(newName) >= 0)
        return false;
    WinPropsList records = m_records;
    records[index].setWinName(newName);
    if (!store(records))
        return false;
    announce([this, currentName, newName] { Q_EMIT windowRenamed(currentName, newName); });
    return true;
}

void WinPropsDaemon::setAllProperties(const WinPropsList &wpl)
{
    noteCall();
    replaceAll(wpl);
}

qulonglong WinPropsDaemon::setAllPropertiesIfUnchanged(const WinPropsList &wpl,
                                                       qulonglong generation)
{
    noteCall();
    if (!rejectStale(generation))
        replaceAll(wpl);
    return m_generation;
}

qulonglong WinPropsDaemon::changePropertiesIfUnchanged(const WinPropsList &changed,
                                                       const QStringList &removed,
                                                       qulonglong generation)
{
    noteCall();
    QSet<QString> names(removed.cbegin(), removed.cend());
    for (const WinProps &props : changed)
        names.insert(props.winName());
    // A hand edit that lands later is joined in as it is taken up (see applyChanges).
    if (rejectStale(generation, names))
        return m_generation;
    WinPropsList records;
    records.reserve(changed.size());
    for (const WinProps &props : changed)
        records.append(normalized(props));
    if (!reject(listProblem(records)) && !reject(removalProblem(removed)))
        applyChanges(records, removed, names);
    return m_generation;
}

// Only the records named are looked at, besides the one pass that writes the file. A hand edit
// that lands on the file between its last reading and its replacing is taken up, and the change
// made again on top of it, as for lines appended late: a few times, since an editor may go on.
void WinPropsDaemon::applyChanges(const WinPropsList &changed, const QStringList &removed,
                                  const QSet<QString> &names)
{
    constexpr int attempts = 5;
    for (int attempt = 1;; ++attempt) {
        const qulonglong generation = m_generation;
        followFile();
        if (rejectStale(generation, names))
            return;
        Changed made = changedCollection(changed, removed);
        if (made.gone.isEmpty() && made.set.isEmpty())
            return;
        const std::optional<Failure> failure = save(made.records, made.index);
        if (!failure) {
            announceChanged(made);
            return;
        }
        if (!m_store.changedOnDisk() || attempt == attempts) {
            fail(failure->name, failure->message);
            followFile();
            return;
        }
    }
}

WinPropsDaemon::Changed WinPropsDaemon::changedCollection(const WinPropsList &changed,
                                                          const QStringList &removed) const
{
    Changed made;
    std::vector<bool> dropped(m_records.size(), false);
    for (const QString &name : removed) {
        const int index = indexOf(name);
        if (index >= 0 && !dropped[index]) {
            dropped[index] = true;
            made.gone.append(name);
        }
    }
    made.records = made.gone.isEmpty() ? m_records : WinPropsList();
    if (!made.gone.isEmpty())
        made.records.reserve(m_records.size() - made.gone.size() + changed.size());
    for (int i = 0; !made.gone.isEmpty() && i < m_records.size(); ++i) {
        if (!dropped[i])
            made.records.append(m_records.at(i));
    }
    made.index = made.gone.isEmpty() ? m_indexOfName : nameIndexOf(made.records);
    for (const WinProps &props : changed) {
        const int at = made.index.value(props.winName(), -1);
        if (at >= 0 && made.records.at(at) == props)
            continue;
        if (at >= 0) {
            made.records[at] = props;
        } else {
            made.index.insert(props.winName(), made.records.size());
            made.records.append(props);
        }
        made.set.append(props);
    }
    return made;
}

void WinPropsDaemon::announceChanged(const Changed &made)
{
    for (const QString &name : made.gone) {
        if (!m_indexOfName.contains(name))
            announce([this, name] { Q_EMIT removedWindowProperties(name); });
    }
    for (const WinProps &props : made.set)
        announce([this, props] { Q_EMIT changedWindowProperties(props); });
}

bool WinPropsDaemon::rejectStale(qulonglong generation, const QSet<QString> &names)
{
    // A change on disk not yet taken up is a change of the collection too.
    followFile();
    if (generation == m_generation || onlyHandEditsOfOthersSince(generation, names))
        return false;
    sendErrorReply(collectionChangedError(),
                   tr("The window properties changed since generation %1; they are at %2 now.")
                       .arg(generation)
                       .arg(m_generation));
    return true;
}

bool WinPropsDaemon::rejectUnseenChangeOnDisk()
{
    // Sent before the change on disk was seen: replacing the file would lose that change.
    if (!m_store.changedOnDisk())
        return false;
    followFile();
    sendErrorReply(storageError(),
                   tr("Not stored: %1 was changed on disk meanwhile and has been read again.")
                       .arg(QDir::toNativeSeparators(m_store.path())));
    return true;
}

void WinPropsDaemon::replaceAll(const WinPropsList &wpl)
{
    if (rejectUnseenChangeOnDisk())
        return;
    WinPropsList records;
    records.reserve(wpl.size());
    for (const WinProps &props : wpl)
        records.append(normalized(props));
    NameIndex index;
    if (reject(listProblem(records, m_records, m_indexOfName, &index)))
        return;
    const WinPropsList old = m_records;
    const NameIndex oldIndex = m_indexOfName;
    if (records == old || !store(records, index))
        return;
    announceChanges(old, oldIndex);
}

void WinPropsDaemon::announceChanges(const WinPropsList &old, const NameIndex &oldIndex)
{
    for (const WinProps &props : old) {
        const QString name = props.winName();
        if (!m_indexOfName.contains(name))
            announce([this, name] { Q_EMIT removedWindowProperties(name); });
    }
    for (const WinProps &props : qAsConst(m_records)) {
        const int index = oldIndex.value(props.winName(), -1);
        if (index < 0 || old.at(index) != props)
            announce([this, props] { Q_EMIT changedWindowProperties(props); });
    }
}

void WinPropsDaemon::announce(std::function<void()> emission)
{
    if (m_announcements.isEmpty())
        QMetaObject::invokeMethod(this, &WinPropsDaemon::sendAnnouncements, Qt::QueuedConnection);
    m_announcements.append(std::move(emission));
}

void WinPropsDaemon::sendAnnouncements()
{
    const QList<std::function<void()>> due = std::exchange(m_announcements, {});
    for (const std::function<void()> &emission : due)
        emission();
}

void WinPropsDaemon::setWindowProperties(const QString &winName, const QString &props)
{
    beginCall();
    if (rejectName(winName))
        return;
    WinProps named;
    named.setWinName(winName);
    const QString text
        = props.isEmpty() ? named.toString() : named.toString() + QLatin1Char(';') + props;
    const WinProps record(text);
    if (!record.isValid()) {
        reject(tr("The properties \"%1\" of the window \"%2\" are not valid: %3")
                   .arg(props, winName, record.errorString()));
        return;
    }
    storeRecord(record);
}

void WinPropsDaemon::setWindowProperties(const WinProps &winProps)
{
    beginCall();
    storeRecord(winProps);
}

DesktopEffects WinPropsDaemon::desktopEffects()
{
    noteCall();
    return m_desktopEffects;
}

void WinPropsDaemon::setDesktopEffects(const DesktopEffects &effects)
{
    if (effects == m_desktopEffects)
        return;
    m_desktopEffects = effects;
    Q_EMIT desktopEffectsChanged();
}

QStringList WinPropsDaemon::winNames()
{
    beginCall();
    QStringList names;
    names.reserve(m_records.size());
    for (const WinProps &props : qAsConst(m_records))
        names.append(props.winName());
    return names;
}

void WinPropsDaemon::noteCall()
{
    // What earlier calls changed is told before anything this one changes.
    sendAnnouncements();
    m_trimming.start();
    if (m_exitsWhenIdle)
        m_idleTimer.start();
}

void WinPropsDaemon::clientVanished(const QString &client)
{
    m_references.remove(client);
    m_clientWatcher.removeWatchedService(client);
    noteCall();
}

void WinPropsDaemon::checkIdle()
{
    if (referenceCount() == 0)
        Q_EMIT idle();
}

int WinPropsDaemon::referenceCount() const
{
    int count = 0;
    for (const int references : m_references)
        count += references;
    return count;
}

bool WinPropsDaemon::rejectName(const QString &name)
{
    return reject(nameProblem(name));
}

bool WinPropsDaemon::reject(const QString &problem)
{
    if (problem.isNull())
        return false;
    sendErrorReply(invalidArgumentError(), problem);
    return true;
}

bool WinPropsDaemon::store(const WinPropsList &records, const NameIndex &index)
{
    const std::optional<Failure> failure = save(records, index);
    if (!failure)
        return true;
    fail(failure->name, failure->message);
    // It may have failed on a change made on disk meanwhile: take that up.
    followFile();
    return false;
}

std::optional<WinPropsDaemon::Failure> WinPropsDaemon::save(const WinPropsList &records,
                                                            const NameIndex &index)
{
    const qint64 size = wireSize(records);
    // A collection already too large may still shrink, so that it can be repaired.
    if (size > MaxWireArraySize && size > m_wireSize)
        return Failure { tooLargeError(),
                         tr("Not stored: the %1 window records would take %2 bytes, more than "
                            "the %3 that one D-Bus reply can carry.")
                             .arg(records.size())
                             .arg(size)
                             .arg(MaxWireArraySize) };
    QString errorMessage;
    if (!m_store.save(records, errorMessage))
        return Failure { storageError(), errorMessage };
    replaceRecords(records, index);
    if (m_store.watchesReplacedFiles())
        m_lateAppendsCheck.start();
    return std::nullopt;
}

void WinPropsDaemon::fail(const QString &name, const QString &message)
{
    if (calledFromDBus())
        sendErrorReply(name, message);
    else
        Q_EMIT report(message);
}

void WinPropsDaemon::takeUpLateAppends()
{
    const StorageContents appended = parseStorage(m_store.lateAppends());
    if (!m_store.watchesReplacedFiles() && m_lateRecords.isEmpty())
        m_lateAppendsCheck.stop();
    keepAside(appended.rejected);
    m_lateRecords += appended.records;
    if (m_lateRecords.isEmpty())
        return;
    // On top of what the file holds now, in case it changed meanwhile as well.
    followFile();
    WinPropsList records = m_records;
    for (const WinProps &late : qAsConst(m_lateRecords)) {
        const int index = indexOf(late.winName());
        if (index >= 0)
            records[index] = late;
        else
            records.append(late);
    }
    const WinPropsList old = m_records;
    const NameIndex oldIndex = m_indexOfName;
    if (!store(records))
        return;
    Q_EMIT report(QStringLiteral("%1 record(s) appended to %2 while it was being replaced were "
                                 "added.")
                      .arg(m_lateRecords.size())
                      .arg(QDir::toNativeSeparators(m_store.path())));
    m_lateRecords.clear();
    noteDiskChange(old, oldIndex);
    announceChanges(old, oldIndex);
}

void WinPropsDaemon::replaceRecords(const WinPropsList &records, const NameIndex &index)
{
    m_records = records;
    m_indexOfName = index.isEmpty() ? nameIndexOf(records) : index;
    ++m_generation;
    m_wireSize = wireSize(records);
    Q_EMIT recordsChanged();
}

void WinPropsDaemon::beginCall()
{
    noteCall();
    followFile();
}

bool WinPropsDaemon::followFile()
{
    if (!m_store.changedOnDisk())
        return false;
    // Read into a copy: until it is read whole and its bad lines are kept, a save must still
    // see the file as changed, and refuse.
    WinPropsStore changed = m_store;
    StorageContents contents;
    QString errorMessage;
    if (!changed.load(contents, errorMessage)) {
        Q_EMIT report(errorMessage);
        return false;
    }
    if (!keepAside(contents.rejected))
        return false;
    m_store = changed;
    if (keepsServing(contents))
        return false;
    const WinPropsList old = m_records;
    const NameIndex oldIndex = m_indexOfName;
    replaceRecords(contents.records);
    noteDiskChange(old, oldIndex);
    announceChanges(old, oldIndex);
    Q_EMIT report(QStringLiteral("%1 changed on disk and was read again: %2 record(s).")
                      .arg(QDir::toNativeSeparators(m_store.path()))
                      .arg(m_records.size()));
    return true;
}

// Hand edits of other entries are joined with a change, as lines appended late are: a script's
// run is not refused for them, however often an editor appends.
bool WinPropsDaemon::onlyHandEditsOfOthersSince(qulonglong generation,
                                                const QSet<QString> &names) const
{
    if (names.isEmpty() || generation > m_generation)
        return false;
    qulonglong handEdits = 0;
    for (const DiskChange &change : m_diskChanges) {
        if (change.generation <= generation)
            continue;
        if (change.names.intersects(names))
            return false;
        ++handEdits;
    }
    return handEdits == m_generation - generation;
}

void WinPropsDaemon::noteDiskChange(const WinPropsList &old, const NameIndex &oldIndex)
{
    DiskChange change { m_generation, {} };
    for (const WinProps &props : old) {
        const int now = m_indexOfName.value(props.winName(), -1);
        if (now < 0 || m_records.at(now) != props)
            change.names.insert(props.winName());
    }
    for (const WinProps &props : qAsConst(m_records)) {
        if (!oldIndex.contains(props.winName()))
            change.names.insert(props.winName());
    }
    // Enough for a burst of appends between a client's read and its store.
    constexpr int remembered = 256;
    if (m_diskChanges.size() == remembered)
        m_diskChanges.removeFirst();
    m_diskChanges.append(change);
}

bool WinPropsDaemon::keepsServing(const StorageContents &contents)
{
    const bool foreign = contents.records.isEmpty() && contents.rejected.size() == 1
        && contents.rejected.first().number == 0;
    if (m_records.isEmpty() || (m_store.fileExisted() && !foreign))
        return false;
    const QString path = QDir::toNativeSeparators(m_store.path());
    Q_EMIT report(
        (foreign ? QStringLiteral("%1 holds no window records now; still serving the %2 read "
                                  "before, which the next change writes back.")
                 : QStringLiteral("%1 is gone; still serving the %2 record(s) read before, which "
                                  "the next change writes back."))
            .arg(path)
            .arg(m_records.size()));
    return true;
}

void WinPropsDaemon::watchFile()
{
    const QFileInfo file(m_store.path());
    // Where the folder is gone, the nearest folder above it tells when it is back.
    QString folder = file.absolutePath();
    while (!QFileInfo(folder).isDir() && QFileInfo(folder).path() != folder)
        folder = QFileInfo(folder).path();
    QStringList paths = { folder, file.absoluteFilePath() };
    // A link's file may live in a folder of its own, such as a dotfiles repository.
    if (file.isSymLink() && !file.canonicalFilePath().isEmpty()) {
        const QFileInfo target(file.canonicalFilePath());
        paths << target.absolutePath() << target.absoluteFilePath();
    }
    paths.removeDuplicates();
    // Watched anew: a watch on a file that was replaced or removed follows it no more.
    const QStringList watched = m_fileWatcher.files() + m_fileWatcher.directories();
    if (!watched.isEmpty())
        m_fileWatcher.removePaths(watched);
    for (const QString &path : qAsConst(paths)) {
        if (QFileInfo::exists(path))
            m_fileWatcher.addPath(path);
    }
}

void WinPropsDaemon::storeRecord(const WinProps &record)
{
    const WinProps props = normalized(record);
    if (reject(recordProblem(props)))
        return;
    const int index = indexOf(props.winName());
    if (index >= 0 && m_records.at(index) == props)
        return;
    WinPropsList records = m_records;
    if (index >= 0)
        records[index] = props;
    else
        records.append(props);
    if (store(records))
        announce([this, props] { Q_EMIT changedWindowProperties(props); });
}

int WinPropsDaemon::indexOf(const QString &winName) const
{
    return m_indexOfName.value(winName, -1);
}
