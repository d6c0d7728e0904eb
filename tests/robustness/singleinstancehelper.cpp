// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// A program for the single-instance tests, started as separate processes.
//   id                          print the application's identifier
//   send TEXT [REPEAT]          if an instance runs, send it TEXT repeated REPEAT times and print
//                               "delivered" or "undelivered"; otherwise print "alone", exit 2
//   listen [--minimized] [--no-activate]
//                               become the running instance with a window and print "ready";
//                               print "received BASE64 minimized=0|1" for every message and
//                               "window normal|minimized active|inactive" when that changes;
//                               the message "quit" ends it. Prints "running", exit 2, if
//                               another instance runs, and "refused ERROR", exit 3, if it
//                               cannot tell.
#include "platform/singleapplication/qtsingleapplication.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {
void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

QString stateOf(const QWidget &window)
{
    return QStringLiteral("window %1 %2")
        .arg(window.isMinimized() ? QStringLiteral("minimized") : QStringLiteral("normal"),
             window.isActiveWindow() ? QStringLiteral("active") : QStringLiteral("inactive"));
}

class StateReporter : public QObject
{
public:
    explicit StateReporter(QWidget *window)
        : m_window(window)
    {
        window->installEventFilter(this);
    }

    void report()
    {
        const QString state = stateOf(*m_window);
        if (state != m_last)
            say(state);
        m_last = state;
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::ActivationChange)
            QTimer::singleShot(0, this, &StateReporter::report);
        return false;
    }

private:
    QWidget *m_window;
    QString m_last;
};

int send(QtSingleApplication &app, const QStringList &args)
{
    if (!app.isRunning()) {
        say(QStringLiteral("alone"));
        return 2;
    }
    const QString message = args.value(1).repeated(args.value(2, QStringLiteral("1")).toInt());
    say(app.sendMessage(message, 5000) ? QStringLiteral("delivered")
                                       : QStringLiteral("undelivered"));
    return 0;
}

int listen(QtSingleApplication &app, const QStringList &args)
{
    if (app.isRunning()) {
        say(QStringLiteral("running"));
        return 2;
    }
    if (!app.lockError().isEmpty()) {
        say(QStringLiteral("refused ") + app.lockError());
        return 3;
    }
    QWidget window;
    window.resize(200, 100);
    app.setActivationWindow(&window, !args.contains(QStringLiteral("--no-activate")));
    StateReporter reporter(&window);
    QObject::connect(&app, &QtSingleApplication::messageReceived, &app,
                     [&](const QString &message) {
                         // Reported once the activation that follows this receiver has run.
                         QTimer::singleShot(0, &app, [&window, message] {
                             say(QStringLiteral("received %1 minimized=%2")
                                     .arg(QString::fromLatin1(message.toUtf8().toBase64()))
                                     .arg(window.isMinimized() ? 1 : 0));
                             if (message == QLatin1String("quit"))
                                 QCoreApplication::quit();
                         });
                     });
    if (args.contains(QStringLiteral("--minimized")))
        window.showMinimized();
    else
        window.show();
    reporter.report();
    say(QStringLiteral("ready"));
    return app.exec();
}
} // namespace

int main(int argc, char *argv[])
{
    QtSingleApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    if (mode == QLatin1String("id")) {
        say(app.id());
        return 0;
    }
    if (mode == QLatin1String("send"))
        return send(app, args);
    if (mode == QLatin1String("listen"))
        return listen(app, args);
    say(QStringLiteral("unknown mode"));
    return 64;
}
