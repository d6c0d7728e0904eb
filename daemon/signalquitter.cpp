// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "daemon/signalquitter.h"

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

void handleSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

bool installHandler(int signalNumber)
{
    struct sigaction action = {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}

} // namespace

SignalQuitter::SignalQuitter(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    if (!installHandler(SIGTERM) || !installHandler(SIGINT))
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalQuitter::signalArrived);
}

SignalQuitter::~SignalQuitter()
{
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
}

void SignalQuitter::busDisconnected()
{
    std::fprintf(stderr,
                 "kivo-winpropsd: The connection to the session bus ended (the bus stopped or "
                 "dropped the connection); exiting.\n");
    QCoreApplication::exit(0);
}

void SignalQuitter::signalArrived()
{
    char byte;
    while (::read(signalPipe[0], &byte, 1) > 0) { }
    QCoreApplication::exit(0);
}
