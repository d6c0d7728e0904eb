#ifndef KIVO_WINPROPSDAEMON_H
#define KIVO_WINPROPSDAEMON_H

#include "winprops.h"
#include "winpropsstore.h"

#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

// The object behind "/Apprc": holds the collection, writes every change to the store before it
// takes effect, and answers bad input with an error reply that changes nothing.
class WinPropsDaemon : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    static QString invalidArgumentError();
    static QString storageError();
    static QString notReferencedError();

    WinPropsDaemon(const WinPropsStore &store, const WinPropsList &records,
                   QObject *parent = nullptr);

    // After this long without a call while no client holds a reference, idle() is emitted.
    void setIdleTimeout(int seconds);

    void addRef();
    WinPropsList getAllProperties();
    WinProps getWindowProperties(const QString &winName);
    void release();
    bool removeWindowProperties(const QString &winName);
    bool renameWindow(const QString &currentName, const QString &newName);
    void setAllProperties(const WinPropsList &wpl);
    void setWindowProperties(const QString &winName, const QString &props);
    void setWindowProperties(const WinProps &winProps);
    QStringList winNames();

Q_SIGNALS:
    void changedWindowProperties(const WinProps &winProps);
    void removedWindowProperties(const QString &winName);
    void windowRenamed(const QString &oldName, const QString &newName);
    void idle();

private:
    void noteCall();
    void clientVanished(const QString &client);
    void checkIdle();
    int referenceCount() const;
    bool rejectName(const QString &name);
    bool reject(const QString &problem);
    bool store(const WinPropsList &records);
    void storeRecord(const WinProps &props);
    int indexOf(const QString &winName) const;

    WinPropsStore m_store;
    WinPropsList m_records;
    QHash<QString, int> m_references;
    QDBusServiceWatcher m_clientWatcher;
    QTimer m_idleTimer;
    bool m_exitsWhenIdle = false;
};

#endif
