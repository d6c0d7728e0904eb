// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSDAEMON_H
#define KIVO_WINPROPSDAEMON_H

#include "daemon/winpropsstore.h"
#include "platform/winprops/desktopeffects.h"
#include "platform/winprops/winprops.h"

#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <optional>

// The object behind "/Apprc": holds the collection, writes every change to the store before it
// takes effect, and answers bad input with an error reply that changes nothing.
class WinPropsDaemon : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    static QString invalidArgumentError();
    static QString storageError();
    static QString notReferencedError();
    // The collection would take more than one reply can carry.
    static QString tooLargeError();
    // A conditional store on a collection changed meanwhile answers collectionChangedError().

    // bus: where the clients that call addRef are watched, so that a client that goes away
    // without release does not keep the daemon alive.
    WinPropsDaemon(const WinPropsStore &store, const WinPropsList &records,
                   const QDBusConnection &bus, QObject *parent = nullptr);

    // After this long without a call while no client holds a reference, idle() is emitted.
    void setIdleTimeout(int seconds);
    // Writes lines of the file that could not be read to a side file, reporting them; false when
    // they could not be kept.
    bool keepAside(const QList<RejectedLine> &rejected);

    ~WinPropsDaemon() override;

    void addRef();
    WinPropsList getAllProperties();
    // The collection with its generation, which every change of the collection increases.
    WinPropsList getAllPropertiesAndGeneration(qulonglong &generation);
    // The stored records of these names, in stored order, with the generation.
    WinPropsList getPropertiesAndGeneration(const QStringList &winNames, qulonglong &generation);
    // A window without stored properties gets a record of that name that sets nothing.
    WinProps getWindowProperties(const QString &winName);
    void release();
    bool removeWindowProperties(const QString &winName);
    // False when currentName is not stored or newName is.
    bool renameWindow(const QString &currentName, const QString &newName);
    void setAllProperties(const WinPropsList &wpl);
    // Replaces the collection only while it is still at generation; answers the generation then
    // current.
    qulonglong setAllPropertiesIfUnchanged(const WinPropsList &wpl, qulonglong generation);
    // Removes the names removed, then stores each record changed in place of the one of its
    // name, or after the others; all or nothing, only while the collection is still at
    // generation. Answers the generation then current.
    qulonglong changePropertiesIfUnchanged(const WinPropsList &changed, const QStringList &removed,
                                           qulonglong generation);
    // props: the properties part of a record text, "no_title;shadow=40".
    void setWindowProperties(const QString &winName, const QString &props);
    void setWindowProperties(const WinProps &winProps);
    QStringList winNames();
    // Who applies the properties on this desktop, and what each does there.
    DesktopEffects desktopEffects();
    void setDesktopEffects(const DesktopEffects &effects);

    // The collection as stored.
    const WinPropsList &records() const { return m_records; }

Q_SIGNALS:
    void changedWindowProperties(const WinProps &winProps);
    void removedWindowProperties(const QString &winName);
    void windowRenamed(const QString &oldName, const QString &newName);
    void desktopEffectsChanged();
    void idle();
    // After every change of the collection, whichever way it came.
    void recordsChanged();
    // A line for the daemon's log.
    void report(const QString &line);

private:
    void noteCall();
    // noteCall, and the file read again if someone else changed it.
    void beginCall();
    // Takes up a change of the file on disk: true when the collection was read again.
    bool followFile();
    // Whether the file read again holds nothing worth replacing a collection with: it is gone,
    // or is no storage file at all. Says so.
    bool keepsServing(const StorageContents &contents);
    void watchFile();
    // Lines that writers appended to the file while a save replaced it go into the collection.
    void takeUpLateAppends();
    // An error reply to the call under way, or a line in the log outside a call.
    void fail(const QString &name, const QString &message);
    // The one way the collection changes; index: the name index of records, when known.
    void replaceRecords(const WinPropsList &records, const NameIndex &index = {});
    void clientVanished(const QString &client);
    void checkIdle();
    int referenceCount() const;
    bool rejectName(const QString &name);
    bool reject(const QString &problem);
    bool store(const WinPropsList &records, const NameIndex &index = {});
    // An error reply's name and message.
    struct Failure
    {
        QString name;
        QString message;
    };
    // Writes the collection and makes it the one served; says why not, and replies nothing.
    std::optional<Failure> save(const WinPropsList &records, const NameIndex &index);
    void replaceAll(const WinPropsList &wpl);
    // Answers with an error when the collection is larger than one reply can carry.
    bool rejectTooLarge();
    // Whether the whole collection is answered by replyLater.
    bool isLargeReply() const;
    void replyLater(const QVariantList &arguments);
    // Refuses a conditional store on a generation that is not the current one.
    // names: those the call changes; others changed meanwhile by hand on disk count for nothing.
    bool rejectStale(qulonglong generation, const QSet<QString> &names = {});
    bool onlyHandEditsOfOthersSince(qulonglong generation, const QSet<QString> &names) const;
    // Which names a reading of the file, or lines appended late, changed, by the generation
    // made.
    struct DiskChange
    {
        qulonglong generation;
        QSet<QString> names;
    };
    void noteDiskChange(const WinPropsList &old, const NameIndex &oldIndex);
    // Refuses any store while the file changed on disk unseen: replacing it would lose that.
    bool rejectUnseenChangeOnDisk();
    // Removes the names, then stores the records, checked and normalized, as one change.
    // names: those changed and removed, which a hand edit taken up meanwhile must not touch.
    void applyChanges(const WinPropsList &changed, const QStringList &removed,
                      const QSet<QString> &names);
    // The collection with those changes made, and what they changed.
    struct Changed
    {
        WinPropsList records;
        NameIndex index;
        QStringList gone;
        WinPropsList set;
    };
    Changed changedCollection(const WinPropsList &changed, const QStringList &removed) const;
    void announceChanged(const Changed &made);
    // Announces the removals and changes that replacing old (with its name index) by the
    // collection now stored made: removals in the order of old, then changes in the order of
    // the collection.
    void announceChanges(const WinPropsList &old, const NameIndex &oldIndex);
    // Queues a signal, sent once the reply to the call under way is out.
    void announce(std::function<void()> emission);
    // Sends the queued signals, in order.
    void sendAnnouncements();
    // Checks the record, as normalized, and stores it in place of the one of its name.
    void storeRecord(const WinProps &record);
    int indexOf(const QString &winName) const;

    WinPropsStore m_store;
    QList<DiskChange> m_diskChanges;
    // Until a backend says otherwise: the daemon was told to apply nothing.
    DesktopEffects m_desktopEffects = DesktopEffects::nothingApplies(
        QStringLiteral("The service was started with --no-apply: window properties are kept but "
                       "not applied to windows."));
    WinPropsList m_records;
    NameIndex m_indexOfName;
    // Signals of changes made, not sent yet.
    QList<std::function<void()>> m_announcements;
    // What m_records takes in a reply.
    qint64 m_wireSize = 0;
    // On the file and its folder, since editors replace the file rather than write it.
    QFileSystemWatcher m_fileWatcher;
    // Lets a burst of changes, such as an editor's save, settle before the file is read.
    QTimer m_fileSettling;
    // Once the calls are done: the memory a large one took, as many small blocks that the
    // allocator would keep, is given back.
    QTimer m_trimming;
    // Builds and sends the large replies, one after another, while the daemon answers others.
    QThreadPool m_largeReplies;
    // Looks at the files saves replaced while a late writer may still append to them.
    QTimer m_lateAppendsCheck;
    // Appended late, not yet stored.
    WinPropsList m_lateRecords;
    // Starts at random, so that a restarted daemon does not repeat the numbers of the last one.
    qulonglong m_generation;
    QHash<QString, int> m_references;
    QDBusServiceWatcher m_clientWatcher;
    QTimer m_idleTimer;
    bool m_exitsWhenIdle = false;
};

#endif
