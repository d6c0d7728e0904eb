// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_SWAYAPPLIER_H
#define KIVO_SWAYAPPLIER_H

#include "daemon/applier/applydecision.h"
#include "daemon/sway/swaycommands.h"
#include "daemon/sway/swayipc.h"
#include "daemon/windowsbackend.h"

#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <QTimer>

// Applies the stored window properties through sway's IPC: to the windows open when it
// connects, to every window sway reports as new, and to the open windows again whenever the
// records change. When sway goes away it waits for it to come back on the same socket.
class SwayApplier : public WindowsBackend
{
    Q_OBJECT

public:
    // How long after a window appeared "close soon" closes it.
    static constexpr int closeSoonDelayMs = 500;
    static constexpr int reconnectIntervalMs = 1000;
    static constexpr int placeAgainMs = 100;
    static constexpr int placeTries = 100;

    explicit SwayApplier(const QString &socketPath, QObject *parent = nullptr);

    void start(const WinPropsList &records) override;
    void setRecords(const WinPropsList &records) override;

private:
    struct Window
    {
        QString appId; // Wayland windows
        QString instance; // X11 windows, from WM_CLASS
        QString className;
        SwayBorder own;
        SwayLasting applied;
        bool floating = false;
    };

    void connected();
    void lost();
    void reconnect();
    void readTree(const QJsonDocument &tree);
    void collectWindows(const QJsonObject &node);
    void handleEvent(quint32 type, const QJsonDocument &payload);
    void addWindow(const QJsonObject &container, bool isNew);
    static bool isFloating(const QJsonObject &container);
    const WinProps *recordOf(const Window &window) const;
    void apply(qint64 id, Window &window, bool isNew);
    void run(qint64 id, const QStringList &commands, const QString &recordName);
    void keepPlacing(qint64 id, const WinProps &record, int triesLeft);

    SwayIpc m_ipc;
    RecordMatcher m_matcher;
    QHash<qint64, Window> m_windows;
    // The focused workspace, among all outputs, where new windows appear.
    QRect m_workspace;
    SwayBorder m_defaultBorder;
    QTimer m_reconnect;
    bool m_connected = false;
    bool m_everConnected = false;
};

#endif
