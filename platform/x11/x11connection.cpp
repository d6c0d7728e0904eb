// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/x11/x11connection.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

#include <cstdlib>
#include <cstring>

namespace {

xcb_screen_t *screenOf(xcb_connection_t *connection, int number)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem; --number, xcb_screen_next(&it)) {
        if (number == 0)
            return it.data;
    }
    return nullptr;
}

} // namespace

QString x11ConnectionErrorText(int code)
{
    switch (code) {
    case 0:
        return QString();
    case XCB_CONN_ERROR:
        return QStringLiteral("the connection to the server broke");
    case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
        return QStringLiteral("an extension is not supported");
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        return QStringLiteral("out of memory");
    case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
        return QStringLiteral("a request was too long for the server");
    case XCB_CONN_CLOSED_PARSE_ERR:
        return QStringLiteral("the display name could not be read");
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return QStringLiteral("the server has no such screen");
    default:
        return QStringLiteral("the connection failed (xcb error %1)").arg(code);
    }
}

std::unique_ptr<X11Connection> X11Connection::open(const QByteArray &displayName,
                                                   QString *errorMessage)
{
    int screenNumber = 0;
    xcb_connection_t *connection
        = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    const QByteArray shownName = displayName.isEmpty() ? qgetenv("DISPLAY") : displayName;
    if (const int error = xcb_connection_has_error(connection)) {
        if (errorMessage) {
            *errorMessage
                = QStringLiteral("Cannot open the X display %1: %2")
                      .arg(QString::fromLocal8Bit(shownName), x11ConnectionErrorText(error));
        }
        xcb_disconnect(connection);
        return nullptr;
    }
    std::unique_ptr<X11Connection> x11(new X11Connection(connection, screenNumber, shownName));
    if (!x11->m_screen || !x11->initAtoms(errorMessage))
        return nullptr;
    return x11;
}

X11Connection::X11Connection(xcb_connection_t *connection, int screenNumber,
                             const QByteArray &displayName)
    : m_xcb(connection)
    , m_screenNumber(screenNumber)
    , m_screen(screenOf(connection, screenNumber))
    , m_displayName(displayName)
{
}

X11Connection::~X11Connection()
{
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        disconnect(dispatcher, nullptr, this, nullptr);
    if (m_ewmhReady)
        xcb_ewmh_connection_wipe(&m_ewmh);
    xcb_disconnect(m_xcb);
}

bool X11Connection::initAtoms(QString *errorMessage)
{
    xcb_intern_atom_cookie_t *cookies = xcb_ewmh_init_atoms(m_xcb, &m_ewmh);
    m_ewmhReady = xcb_ewmh_init_atoms_replies(&m_ewmh, cookies, nullptr);
    if (!m_ewmhReady) {
        if (errorMessage) {
            *errorMessage = QStringLiteral("Cannot set up the X display %1: %2")
                                .arg(QString::fromLocal8Bit(m_displayName),
                                     x11ConnectionErrorText(xcb_connection_has_error(m_xcb)));
        }
        return false;
    }
    m_atoms.motifWmHints = internAtom("_MOTIF_WM_HINTS");
    m_atoms.wmDeleteWindow = internAtom("WM_DELETE_WINDOW");
    m_atoms.wmTakeFocus = internAtom("WM_TAKE_FOCUS");
    m_atoms.wmChangeState = internAtom("WM_CHANGE_STATE");
    m_atoms.wmState = internAtom("WM_STATE");
    m_atoms.wmWindowOpacity = internAtom("_NET_WM_WINDOW_OPACITY");
    m_atoms.comptonShadow = internAtom("_COMPTON_SHADOW");
    m_atoms.kivoOriginal = internAtom("_KIVO_WINPROPS_ORIGINAL");
    m_atoms.kivoStarted = internAtom("_KIVO_WINPROPS_STARTED");
    m_atoms.wmScreenSelection = internAtom(QByteArray("WM_S" + QByteArray::number(m_screenNumber)));
    return !isLost();
}

xcb_atom_t X11Connection::internAtom(const char *name)
{
    const xcb_intern_atom_cookie_t cookie
        = xcb_intern_atom(m_xcb, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(m_xcb, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

void X11Connection::watch()
{
    if (m_notifier)
        return;
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_xcb), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11Connection::readEvents);
    // Round trips made outside readEvents() may queue events without the socket becoming
    // readable again; they are handed out before the event loop sleeps.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &X11Connection::flush);
    readEvents();
}

bool X11Connection::isLost() const
{
    return xcb_connection_has_error(m_xcb) != 0;
}

void X11Connection::flush()
{
    if (isLost()) {
        checkLost();
        return;
    }
    dispatchQueued();
    xcb_flush(m_xcb);
    checkLost();
}

void X11Connection::readEvents()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_xcb))
        dispatch(event);
    dispatchQueued();
    xcb_flush(m_xcb);
    checkLost();
}

void X11Connection::dispatchQueued()
{
    while (xcb_generic_event_t *event = xcb_poll_for_queued_event(m_xcb))
        dispatch(event);
}

void X11Connection::dispatch(xcb_generic_event_t *event)
{
    Q_EMIT eventReceived(event);
    std::free(event);
}

void X11Connection::checkLost()
{
    const int error = xcb_connection_has_error(m_xcb);
    if (!error || m_lostReported)
        return;
    m_lostReported = true;
    if (m_notifier)
        m_notifier->setEnabled(false);
    Q_EMIT lost(x11ConnectionErrorText(error));
}
