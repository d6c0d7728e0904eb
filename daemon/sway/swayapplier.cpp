// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "daemon/sway/swayapplier.h"

#include <QDir>
#include <QFileInfo>

#include <QJsonArray>

namespace {

bool isWindow(const QJsonObject &node)
{
    return node.contains(QLatin1String("app_id"))
        || node.contains(QLatin1String("window_properties"));
}

QRect rectOf(const QJsonObject &container, QLatin1String key)
{
    const QJsonObject rect = container.value(key).toObject();
    return QRect(rect.value(QLatin1String("x")).toInt(), rect.value(QLatin1String("y")).toInt(),
                 rect.value(QLatin1String("width")).toInt(),
                 rect.value(QLatin1String("height")).toInt());
}

// The window with its title bar above it, which sway keeps apart (and places relative to the
// workspace).
QRect frameOf(const QJsonObject &container)
{
    const int titleBar = rectOf(container, QLatin1String("deco_rect")).height();
    return rectOf(container, QLatin1String("rect")).adjusted(0, -titleBar, 0, 0);
}

qint64 idOf(const QJsonObject &container)
{
    return container.value(QLatin1String("id")).toVariant().toLongLong();
}

QJsonObject findContainer(const QJsonObject &node, qint64 id)
{
    if (idOf(node) == id)
        return node;
    for (const char *children : { "nodes", "floating_nodes" }) {
        for (const QJsonValue &child : node.value(QLatin1String(children)).toArray()) {
            const QJsonObject found = findContainer(child.toObject(), id);
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}

// The workspace holding the container, or nothing.
QJsonObject workspaceOf(const QJsonObject &node, qint64 id)
{
    if (node.value(QLatin1String("type")) == QLatin1String("workspace"))
        return findContainer(node, id).isEmpty() ? QJsonObject() : node;
    for (const QJsonValue &child : node.value(QLatin1String("nodes")).toArray()) {
        const QJsonObject found = workspaceOf(child.toObject(), id);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

} // namespace

SwayApplier::SwayApplier(const QString &socketPath, QObject *parent)
    : WindowsBackend(parent)
    , m_ipc(socketPath)
{
    m_reconnect.setInterval(reconnectIntervalMs);
    connect(&m_reconnect, &QTimer::timeout, this, &SwayApplier::reconnect);
    connect(&m_ipc, &SwayIpc::connected, this, &SwayApplier::connected);
    connect(&m_ipc, &SwayIpc::disconnected, this, &SwayApplier::lost);
    connect(&m_ipc, &SwayIpc::event, this, &SwayApplier::handleEvent);
}

void SwayApplier::start(const WinPropsList &records)
{
    setEffects(swayEffects(QStringLiteral("sway")));
    m_matcher = RecordMatcher(records);
    m_ipc.connectToSway();
}

void SwayApplier::setRecords(const WinPropsList &records)
{
    m_matcher = RecordMatcher(records);
    for (auto it = m_windows.begin(); it != m_windows.end(); ++it)
        apply(it.key(), *it, false);
}

void SwayApplier::connected()
{
    m_reconnect.stop();
    m_connected = true;
    if (m_everConnected)
        Q_EMIT notice(QStringLiteral("sway is back at %1: applying window properties again.")
                          .arg(m_ipc.socketPath()));
    m_everConnected = true;
    m_windows.clear();
    m_ipc.send(SwayIpc::Subscribe, QByteArrayLiteral("[\"window\", \"workspace\"]"));
    // New windows appear on the focused workspace.
    m_ipc.send(SwayIpc::GetWorkspaces, QByteArray(), [this](const QJsonDocument &workspaces) {
        for (const QJsonValue &workspace : workspaces.array()) {
            if (workspace.toObject().value(QLatin1String("focused")).toBool())
                m_workspace = rectOf(workspace.toObject(), QLatin1String("rect"));
        }
    });
    m_ipc.send(SwayIpc::GetConfig, QByteArray(), [this](const QJsonDocument &config) {
        m_defaultBorder
            = swayDefaultBorder(config.object().value(QLatin1String("config")).toString());
    });
    m_ipc.send(SwayIpc::GetTree, QByteArray(),
               [this](const QJsonDocument &tree) { readTree(tree); });
}

void SwayApplier::lost()
{
    if (m_connected) {
        m_connected = false;
        m_windows.clear();
        Q_EMIT notice(QStringLiteral("sway went away from %1: window properties are applied "
                                     "again once it is back.")
                          .arg(m_ipc.socketPath()));
    }
    // Also when connecting failed: the socket may have gone between the check and now.
    if (!m_reconnect.isActive())
        m_reconnect.start();
}

// sway started again listens on a socket of a new name (its process id is in it), beside the
// old one: the newest that answers is followed.
void SwayApplier::reconnect()
{
    const QFileInfo socket(m_ipc.socketPath());
    if (!SwayIpc::answers(socket.filePath())) {
        const QFileInfoList others = socket.dir().entryInfoList(
            { QStringLiteral("sway-ipc.*.sock") }, QDir::System, QDir::Time);
        for (const QFileInfo &other : others) {
            if (other.filePath() != socket.filePath() && SwayIpc::answers(other.filePath())) {
                m_ipc.setSocketPath(other.filePath());
                break;
            }
        }
    }
    m_ipc.connectToSway();
}

void SwayApplier::readTree(const QJsonDocument &tree)
{
    collectWindows(tree.object());
}

void SwayApplier::collectWindows(const QJsonObject &node)
{
    if (isWindow(node))
        addWindow(node, false);
    for (const char *children : { "nodes", "floating_nodes" }) {
        for (const QJsonValue &child : node.value(QLatin1String(children)).toArray())
            collectWindows(child.toObject());
    }
}

void SwayApplier::handleEvent(quint32 type, const QJsonDocument &payload)
{
    const QJsonObject event = payload.object();
    const QString change = event.value(QLatin1String("change")).toString();
    if (type == SwayIpc::WorkspaceEvent && change == QLatin1String("focus"))
        m_workspace
            = rectOf(event.value(QLatin1String("current")).toObject(), QLatin1String("rect"));
    if (type != SwayIpc::WindowEvent)
        return;
    const QJsonObject container = event.value(QLatin1String("container")).toObject();
    if (change == QLatin1String("new"))
        addWindow(container, true);
    else if (change == QLatin1String("close"))
        m_windows.remove(idOf(container));
    else if (change == QLatin1String("floating") && m_windows.contains(idOf(container)))
        m_windows[idOf(container)].floating = isFloating(container);
}

bool SwayApplier::isFloating(const QJsonObject &container)
{
    return container.value(QLatin1String("type")).toString() == QLatin1String("floating_con");
}

void SwayApplier::addWindow(const QJsonObject &container, bool isNew)
{
    const qint64 id = idOf(container);
    const QJsonObject x11 = container.value(QLatin1String("window_properties")).toObject();
    Window window;
    window.appId = container.value(QLatin1String("app_id")).toString();
    window.instance = x11.value(QLatin1String("instance")).toString();
    window.className = x11.value(QLatin1String("class")).toString();
    window.floating = isFloating(container);
    // A window sway has only just mapped shows no border yet: it gets the configured one.
    window.own = m_defaultBorder;
    if (!isNew) {
        window.own.style = container.value(QLatin1String("border")).toString();
        window.own.width = container.value(QLatin1String("current_border_width")).toInt();
    }
    apply(id, m_windows.insert(id, window).value(), isNew);
}

const WinProps *SwayApplier::recordOf(const Window &window) const
{
    return window.appId.isEmpty() ? m_matcher.match(window.instance, window.className)
                                  : m_matcher.match(window.appId, QString());
}

void SwayApplier::apply(qint64 id, Window &window, bool isNew)
{
    const WinProps *record = recordOf(window);
    const SwayDecision decision = record ? swayDecision(*record) : SwayDecision();
    QStringList commands = swayLastingCommands(window.applied, decision.lasting, window.own);
    window.applied = decision.lasting;
    if (!record) {
        run(id, commands, QString());
        return;
    }
    reportNoEffect(*record, decision.notApplied);
    // Floated by its geometry, if it has one.
    if (record->sticky && !window.floating && !swayFrameOf(*record, m_workspace))
        reportOnce(QStringLiteral("sticky tiled ") + record->winName(),
                   QStringLiteral("sticky of \"%1\" has no effect on its tiled windows: sway keeps "
                                  "only floating windows on every workspace.")
                       .arg(record->winName()));
    if (isNew) {
        commands += swayStartCommands(*record, m_workspace);
        if (swayFrameOf(*record, m_workspace))
            keepPlacing(id, *record, placeTries);
        if (record->close_soon)
            QTimer::singleShot(closeSoonDelayMs, this, [this, id] {
                if (m_windows.contains(id))
                    run(id, { QStringLiteral("kill") }, QString());
            });
    }
    run(id, commands, record->winName());
}

void SwayApplier::run(qint64 id, const QStringList &commands, const QString &recordName)
{
    if (commands.isEmpty())
        return;
    const QString command = swayCommandFor(id, commands);
    m_ipc.send(SwayIpc::RunCommand, command.toUtf8(),
               [this, command, recordName](const QJsonDocument &reply) {
                   for (const QJsonValue &result : reply.array()) {
                       const QString error
                           = result.toObject().value(QLatin1String("error")).toString();
                       if (!error.isEmpty())
                           reportOnce(recordName + QLatin1Char('\x1f') + error,
                                      QStringLiteral("sway refused \"%1\" for \"%2\": %3")
                                          .arg(command, recordName, error));
                   }
               });
}

// An X11 window that was tiled when it appeared may still commit its tiled size after it was
// floated, and sway then takes that size; a window may also have appeared on a workspace other
// than the focused one. Place it again, by the edges of its workspace, until its frame holds.
void SwayApplier::keepPlacing(qint64 id, const WinProps &record, int triesLeft)
{
    m_ipc.send(SwayIpc::GetTree, QByteArray(), [=](const QJsonDocument &tree) {
        const QJsonObject workspace = workspaceOf(tree.object(), id);
        const QRect area = rectOf(workspace, QLatin1String("rect"));
        // The scratchpad has no place.
        if (area.isEmpty() || triesLeft == 0)
            return;
        const std::optional<QRect> frame = swayFrameOf(record, area);
        if (!frame || frameOf(findContainer(workspace, id)) == *frame)
            return;
        run(id, swayPlaceCommands(*frame), QString());
        QTimer::singleShot(placeAgainMs, this, [=] {
            if (m_windows.contains(id))
                keepPlacing(id, record, triesLeft - 1);
        });
    });
}
