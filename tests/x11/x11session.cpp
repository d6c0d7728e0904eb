// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "tests/x11/x11session.h"

#include "platform/x11/x11windows.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <xcb/xtest.h>

#include <algorithm>
#include <csignal>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int startTimeoutMs = 15000;
const QString compositorUser = QStringLiteral("kivo-compositor");

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

void endProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
    }
}

WindowManagerDescription descriptionOf(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char('|'));
    const auto field = [&fields](int i) { return fields.value(i).trimmed(); };
    WindowManagerDescription wm;
    wm.program = field(0);
    wm.command = field(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    wm.restartInPlace = field(2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    wm.replaceable = field(3) == QLatin1String("replace");
    wm.settingsPath = field(4).section(QLatin1Char('='), 0, 0);
    wm.settingsLine = field(4).section(QLatin1Char('='), 1).toUtf8();
    wm.ownsScreenSelection = field(5) == QLatin1String("WM_S0");
    wm.bringsXwayland = field(6) == QLatin1String("xwayland");
    return wm;
}

} // namespace

bool makeCompositorRuntime(const QString &folder, const QString &runtime,
                           const QStringList &launcher, QString &error)
{
    QDir().mkpath(runtime);
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                              | QFile::ExeOther);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const passwd *user = launcher.isEmpty() ? nullptr : getpwnam(qPrintable(compositorUser));
    if (user && chown(qPrintable(runtime), user->pw_uid, user->pw_gid) != 0) {
        error = QStringLiteral("Cannot hand %1 to the compositor's user.").arg(runtime);
        return false;
    }
    return true;
}

bool compositorLauncher(QStringList &launcher, QString &error)
{
    launcher.clear();
    if (geteuid() != 0)
        return true;
    // Another test may create the user at the same moment: what counts is that it exists.
    if (!getpwnam(qPrintable(compositorUser)))
        run(QStringLiteral("useradd"),
            { QStringLiteral("--system"), QStringLiteral("--no-create-home"),
              QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"), compositorUser });
    if (!getpwnam(qPrintable(compositorUser))) {
        error = QStringLiteral("Cannot create the user %1 to run the compositor as.")
                    .arg(compositorUser);
        return false;
    }
    launcher = QStringList { QStringLiteral("setpriv"), QStringLiteral("--reuid=") + compositorUser,
                             QStringLiteral("--regid=") + compositorUser,
                             QStringLiteral("--clear-groups"), QStringLiteral("--") };
    return true;
}

const QVector<WindowManagerDescription> &X11Session::windowManagers()
{
    static const QVector<WindowManagerDescription> described = [] {
        QVector<WindowManagerDescription> all;
        QFile file(QStringLiteral(KIVO_WINDOW_MANAGERS));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", KIVO_WINDOW_MANAGERS);
        for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
                all.append(descriptionOf(line));
        }
        return all;
    }();
    return described;
}

const WindowManagerDescription *X11Session::describedAs(const QString &program)
{
    for (const WindowManagerDescription &wm : windowManagers()) {
        if (wm.program == program)
            return &wm;
    }
    return nullptr;
}

X11Session::X11Session()
{
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
}

X11Session::~X11Session()
{
    m_x11.reset();
    stopWindowManagerProcess();
    endProcess(m_server);
}

void X11Session::stopWindowManagerProcess()
{
    if (!m_windowManager)
        return;
    if (m_windowManager->arguments().value(0) == QLatin1String("dbus-run-session")) {
        const auto group = static_cast<pid_t>(m_windowManager->processId());
        if (group > 0)
            kill(-group, SIGTERM);
    }
    endProcess(*m_windowManager);
}

bool X11Session::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    // Not every change that a test waits for sends this process an event (another client's
    // window, a selection owner), so the condition is also looked at every few milliseconds.
    // Instrumented builds run several times slower, and so do the window managers they wait on.
    const QDeadlineTimer deadline(qint64(timeoutMs)
                                  * qMax(1, qEnvironmentVariableIntValue("KIVO_TEST_TIME_SCALE")));
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

bool X11Session::startServer(const QString &screenSize)
{
    // Xvfb picks a free display number itself and writes it to the descriptor named.
    m_server.start(QStringLiteral("Xvfb"),
                   { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), screenSize, QStringLiteral("-nolisten"),
                     QStringLiteral("tcp") });
    if (!m_server.waitForStarted()) {
        m_error = QStringLiteral("Xvfb does not start: %1").arg(m_server.errorString());
        return false;
    }
    const bool numbered = waitFor([this] { return m_server.canReadLine(); }, startTimeoutMs);
    const QByteArray number = numbered ? m_server.readLine().trimmed() : QByteArray();
    if (number.isEmpty()) {
        m_error = QStringLiteral("Xvfb names no display: %1")
                      .arg(QString::fromLocal8Bit(m_server.readAllStandardError()));
        return false;
    }
    return useServer(':' + number);
}

bool X11Session::useServer(const QByteArray &display)
{
    m_display = display;
    m_x11 = X11Connection::open(m_display, &m_error);
    return m_x11 != nullptr;
}

void X11Session::fakeClick(const QPoint &position, xcb_button_t button)
{
    xcb_connection_t *xcb = m_x11->xcb();
    xcb_test_fake_input(xcb, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_x11->root(),
                        static_cast<int16_t>(position.x()), static_cast<int16_t>(position.y()), 0);
    xcb_test_fake_input(xcb, XCB_BUTTON_PRESS, button, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_test_fake_input(xcb, XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0,
                        0);
    xcb_flush(xcb);
}

void X11Session::fakeKey(xcb_keycode_t keycode)
{
    xcb_connection_t *xcb = m_x11->xcb();
    xcb_test_fake_input(xcb, XCB_KEY_PRESS, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_test_fake_input(xcb, XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    xcb_flush(xcb);
}

bool X11Session::managesWindows()
{
    // Fluxbox does not take WM_S0; the throw-away window tells when it manages windows.
    return X11::hasWindowManager(*m_x11)
        && (!m_windowManagerDescription.ownsScreenSelection
            || X11::selectionOwner(*m_x11, m_x11->atoms().wmScreenSelection) != XCB_WINDOW_NONE);
}

bool X11Session::launchWindowManager(const QStringList &extraArguments)
{
    QStringList command = m_windowManagerDescription.command + extraArguments;
    m_windowManager = std::make_unique<QProcess>();
    // Not the test's own output: what the window manager starts may outlive it and would keep
    // that open.
    m_windowManager->setStandardOutputFile(QProcess::nullDevice());
    m_windowManager->setStandardErrorFile(QProcess::nullDevice());
    m_windowManager->setProcessEnvironment(windowManagerEnvironment());
    m_windowManager->start(command.takeFirst(), command);
    return m_windowManager->waitForStarted();
}

bool X11Session::startWindowManager(const QString &program)
{
    const WindowManagerDescription *found = describedAs(program);
    if (!found) {
        m_error = QStringLiteral("%1 is not in tests/x11/window-managers").arg(program);
        return false;
    }
    m_windowManagerDescription = *found;
    if (found->bringsXwayland)
        return startCompositor() && takesNewWindows();
    if (!found->settingsPath.isEmpty()) {
        QFile settings(m_home.filePath(found->settingsPath));
        if (!QDir().mkpath(QFileInfo(settings).path()) || !settings.open(QIODevice::WriteOnly)
            || settings.write(found->settingsLine + '\n') < 0)
            return false;
    }
    if (!launchWindowManager({}) || !waitFor([this] { return managesWindows(); }, startTimeoutMs)) {
        m_error = QStringLiteral("%1 did not take over the display").arg(program);
        return false;
    }
    return takesNewWindows();
}

bool X11Session::startDesktop(const QString &program)
{
    const WindowManagerDescription *described = describedAs(program);
    const bool ownServer = described && described->bringsXwayland;
    return (ownServer || startServer()) && startWindowManager(program);
}

// Weston, headless, as the compositor's user; its Xwayland starts on the first X client, on a
// display number it picks and logs.
bool X11Session::startCompositor()
{
    QStringList launcher;
    if (!compositorLauncher(launcher, m_error))
        return false;
    const QString runtime = m_home.filePath(QStringLiteral("run"));
    if (!makeCompositorRuntime(m_home.path(), runtime, launcher, m_error))
        return false;
    // Xvfb makes the folder of X sockets; Xwayland, as another user, cannot. (Not through the
    // umask.)
    if (mkdir("/tmp/.X11-unix", 01777) == 0)
        chmod("/tmp/.X11-unix", 01777);
    m_waylandSocket = runtime + QStringLiteral("/wayland-kivo");
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    environment.insert(QStringLiteral("HOME"), runtime);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_windowManager = std::make_unique<QProcess>();
    m_windowManager->setProcessEnvironment(environment);
    m_windowManager->setStandardOutputFile(QProcess::nullDevice());
    m_windowManager->setStandardErrorFile(QProcess::nullDevice());
    QFile log(runtime + QStringLiteral("/weston.log"));
    const QStringList command = launcher + m_windowManagerDescription.command
        + QStringList { QStringLiteral("--socket=wayland-kivo"),
                        QStringLiteral("--log=") + log.fileName() };
    m_windowManager->start(command.first(), command.mid(1));
    const QRegularExpression listening(QStringLiteral("listening on display (:\\d+)\n"));
    QRegularExpressionMatch found;
    waitFor(
        [&] {
            if (!log.open(QIODevice::ReadOnly))
                return false;
            found = listening.match(QString::fromLocal8Bit(log.readAll()));
            log.close();
            return found.hasMatch();
        },
        startTimeoutMs);
    // Its Xwayland admits only the compositor's user: the test, the service and the clients
    // run as this one.
    const QString display = found.captured(1);
    const QStringList admit = launcher
        + QStringList { QStringLiteral("env"), QStringLiteral("DISPLAY=") + display,
                        QStringLiteral("xhost"),
                        QStringLiteral("+si:localuser:")
                            + QString::fromLocal8Bit(getpwuid(geteuid())->pw_name) };
    if (!found.hasMatch() || (!launcher.isEmpty() && !run(admit.first(), admit.mid(1)))
        || !useServer(display.toLatin1())) {
        log.open(QIODevice::ReadOnly);
        m_error = QStringLiteral("%1 started no Xwayland: %2 %3")
                      .arg(m_windowManagerDescription.program, m_error,
                           QString::fromLocal8Bit(log.readAll()));
        return false;
    }
    if (!waitFor([this] { return managesWindows(); }, startTimeoutMs)) {
        m_error = QStringLiteral("%1 did not take over the display")
                      .arg(m_windowManagerDescription.program);
        return false;
    }
    return true;
}

bool X11Session::isManaged(xcb_window_t window)
{
    return X11::readClientList(*m_x11).contains(window)
        || X11::framedClients(*m_x11).contains(window);
}

// Openbox now and then overlooks the first window mapped right after it took over; a
// throw-away window, mapped again until it is listed, gets past that.
bool X11Session::takesNewWindows()
{
    X11TestClient firstClient(environment());
    const xcb_window_t first = firstClient.open(X11TestClient::wmClass("first", "First"));
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (waitFor([&] { return isManaged(first); }, 3000))
            return true;
        xcb_map_window(m_x11->xcb(), first);
        xcb_flush(m_x11->xcb());
    }
    m_error = QStringLiteral("%1 does not manage windows").arg(m_windowManagerDescription.program);
    return false;
}

bool X11Session::replaceWindowManager()
{
    std::unique_ptr<QProcess> old = std::move(m_windowManager);
    return launchWindowManager({ QStringLiteral("--replace") })
        && waitFor([&] { return old->state() == QProcess::NotRunning; }, startTimeoutMs);
}

QVector<X11Session::Restart> X11Session::restartsKnownTo(const QString &program)
{
    QVector<Restart> ways { Restart::EndedAndStarted };
    if (const WindowManagerDescription *wm = describedAs(program)) {
        if (wm->bringsXwayland)
            return {};
        if (wm->replaceable)
            ways.append(Restart::Replaced);
        if (!wm->restartInPlace.isEmpty())
            ways.append(Restart::InPlace);
    }
    return ways;
}

bool X11Session::restartWindowManager(Restart how)
{
    const QVector<xcb_window_t> clients = X11::readClientList(*m_x11);
    bool restarted = false;
    switch (how) {
    case Restart::EndedAndStarted:
        stopWindowManagerProcess();
        restarted = launchWindowManager({});
        break;
    case Restart::Replaced:
        restarted = replaceWindowManager();
        break;
    case Restart::InPlace:
        restarted = restartInPlace();
        break;
    }
    if (!restarted || !listsAgain(clients)) {
        m_error = QStringLiteral("%1 did not take the windows back: %2")
                      .arg(m_windowManagerDescription.program, m_error);
        return false;
    }
    return takesNewWindows();
}

bool X11Session::restartInPlace()
{
    // Not every window manager makes a new check window when it restarts itself, and the new
    // frames may have the old ones' ids; but each takes a window into a frame again.
    const QVector<xcb_window_t> clients = X11::readClientList(*m_x11);
    std::unique_ptr<X11Connection> watcher = X11Connection::open(m_display, &m_error);
    if (clients.isEmpty() || !watcher)
        return false;
    const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(watcher->xcb(), clients.first(), XCB_CW_EVENT_MASK, &events);
    X11::sync(*watcher);
    bool framedAgain = false;
    QObject::connect(
        watcher.get(), &X11Connection::eventReceived, [&](const xcb_generic_event_t *event) {
            const auto *reparent = reinterpret_cast<const xcb_reparent_notify_event_t *>(event);
            framedAgain = framedAgain
                || ((event->response_type & 0x7f) == XCB_REPARENT_NOTIFY
                    && reparent->parent != m_x11->root());
        });
    watcher->watch();
    QStringList command = m_windowManagerDescription.restartInPlace;
    QProcess teller;
    teller.setProcessEnvironment(windowManagerEnvironment());
    teller.start(command.takeFirst(), command);
    if (!teller.waitForFinished(startTimeoutMs) || teller.exitCode() != 0) {
        m_error = QString::fromLocal8Bit(teller.readAllStandardError());
        return false;
    }
    return waitFor([&] { return framedAgain && managesWindows(); }, startTimeoutMs);
}

bool X11Session::listsAgain(const QVector<xcb_window_t> &clients)
{
    return waitFor([&] {
        const QVector<xcb_window_t> listed = X11::readClientList(*m_x11);
        return std::all_of(clients.cbegin(), clients.cend(),
                           [&](xcb_window_t window) { return listed.contains(window); });
    });
}

bool X11Session::pauseWindowManager(bool paused)
{
    const auto pid = static_cast<pid_t>(m_windowManager ? m_windowManager->processId() : 0);
    return pid > 0 && kill(pid, paused ? SIGSTOP : SIGCONT) == 0;
}

void X11Session::stopWindowManager()
{
    stopWindowManagerProcess();
    waitFor([this] { return !X11::hasWindowManager(*m_x11); });
}

void X11Session::killServer()
{
    m_server.kill();
    m_server.waitForFinished();
}

QProcessEnvironment X11Session::windowManagerEnvironment() const
{
    QProcessEnvironment environment = this->environment();
    environment.insert(QStringLiteral("HOME"), m_home.path());
    return environment;
}

QProcessEnvironment X11Session::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
    if (m_waylandSocket.isEmpty())
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    else
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_waylandSocket);
    return environment;
}

XvfbForApplication::XvfbForApplication()
{
    int numberPipe[2];
    if (pipe(numberPipe) != 0)
        return;
    // Xvfb picks a free display number itself and writes it to the descriptor named.
    const QByteArray fd = QByteArray::number(numberPipe[1]);
    const char *arguments[] = { "Xvfb",        "-displayfd", fd.constData(), "-screen", "0",
                                "1024x768x24", "-nolisten",  "tcp",          nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, numberPipe[0]);
    const int spawned = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr,
                                     const_cast<char *const *>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(numberPipe[1]);
    if (spawned != 0)
        m_pid = -1;
    // Ends with the line, or with nothing when Xvfb exits first.
    QByteArray number;
    char c = 0;
    while (m_pid > 0 && read(numberPipe[0], &c, 1) == 1 && c != '\n')
        number.append(c);
    close(numberPipe[0]);
    if (number.isEmpty())
        return;
    m_display = ':' + number;
    qputenv("DISPLAY", m_display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");
}

XvfbForApplication::~XvfbForApplication()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
}

X11TestClient::X11TestClient(const QProcessEnvironment &environment, const QStringList &launcher)
{
    const QStringList command = launcher + QStringList { QStringLiteral(KIVO_X11_TEST_CLIENT) };
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(command.first(), command.mid(1));
    m_process.waitForStarted();
}

X11TestClient::~X11TestClient()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QByteArray X11TestClient::wmClass(const QByteArray &instance, const QByteArray &className)
{
    return instance + '\0' + className + '\0';
}

xcb_window_t X11TestClient::open(const QByteArray &wmClass, const QString &options)
{
    const QByteArray hex = wmClass.isNull() ? QByteArray("-") : wmClass.toHex();
    m_process.write("open " + hex + ' ' + options.toUtf8() + '\n');
    return waitForLine(QStringLiteral("window ")).toUInt();
}

bool X11TestClient::destroy(xcb_window_t window)
{
    m_process.write("destroy " + QByteArray::number(window) + '\n');
    return waitForLine(QStringLiteral("destroyed ")).toUInt() == window;
}

bool X11TestClient::waitForDeleted(xcb_window_t window, int timeoutMs)
{
    const QString line = QStringLiteral("deleted %1").arg(window);
    return X11Session::waitFor(
        [&] {
            while (m_process.canReadLine())
                m_lines.append(QString::fromLatin1(m_process.readLine()).trimmed());
            return m_lines.contains(line);
        },
        timeoutMs);
}

QString X11TestClient::waitForLine(const QString &prefix, int timeoutMs)
{
    QString found;
    X11Session::waitFor(
        [&] {
            while (m_process.canReadLine())
                m_lines.append(QString::fromLatin1(m_process.readLine()).trimmed());
            for (int i = 0; i < m_lines.size(); ++i) {
                if (m_lines.at(i).startsWith(prefix)) {
                    found = m_lines.takeAt(i).mid(prefix.size());
                    return true;
                }
            }
            return m_process.state() != QProcess::Running;
        },
        timeoutMs);
    return found;
}
