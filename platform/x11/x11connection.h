// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_X11CONNECTION_H
#define KIVO_X11CONNECTION_H

#include <QByteArray>
#include <QObject>
#include <QString>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <memory>

class QSocketNotifier;

// One connection to an X server with the atoms its users need. Once watch() is called, its
// events arrive through eventReceived() from the Qt event loop: nothing polls, and a server that
// goes away is reported once through lost().
class X11Connection : public QObject
{
    Q_OBJECT

public:
    // Atoms that EWMH's helper library does not intern.
    struct Atoms
    {
        xcb_atom_t motifWmHints = XCB_ATOM_NONE;
        xcb_atom_t wmDeleteWindow = XCB_ATOM_NONE;
        xcb_atom_t wmTakeFocus = XCB_ATOM_NONE;
        xcb_atom_t wmChangeState = XCB_ATOM_NONE;
        xcb_atom_t wmState = XCB_ATOM_NONE;
        xcb_atom_t wmWindowOpacity = XCB_ATOM_NONE;
        xcb_atom_t comptonShadow = XCB_ATOM_NONE;
        xcb_atom_t wmScreenSelection = XCB_ATOM_NONE; // WM_Sn of this screen
        // Ours, on client windows: their own values of the properties we override, and the mark
        // of a window that had its start, for a restarted service to find.
        xcb_atom_t kivoOriginal = XCB_ATOM_NONE;
        xcb_atom_t kivoStarted = XCB_ATOM_NONE;
    };

    // displayName: as in $DISPLAY; empty means $DISPLAY. Null, with the reason, on failure.
    static std::unique_ptr<X11Connection> open(const QByteArray &displayName,
                                               QString *errorMessage = nullptr);
    ~X11Connection() override;

    xcb_connection_t *xcb() const { return m_xcb; }
    xcb_ewmh_connection_t *ewmh() { return &m_ewmh; }
    const Atoms &atoms() const { return m_atoms; }
    int screenNumber() const { return m_screenNumber; }
    xcb_screen_t *screen() const { return m_screen; }
    xcb_window_t root() const { return m_screen->root; }
    QByteArray displayName() const { return m_displayName; }

    void watch();
    // True once the server is gone; every later request is a no-op.
    bool isLost() const;
    // Sends what is buffered and hands out the events that round trips queued meanwhile.
    void flush();

    xcb_atom_t internAtom(const char *name);

Q_SIGNALS:
    void eventReceived(const xcb_generic_event_t *event);
    void lost(const QString &reason);

private:
    X11Connection(xcb_connection_t *connection, int screenNumber, const QByteArray &displayName);
    bool initAtoms(QString *errorMessage);
    void readEvents();
    void dispatchQueued();
    void dispatch(xcb_generic_event_t *event);
    void checkLost();

    xcb_connection_t *m_xcb = nullptr;
    xcb_ewmh_connection_t m_ewmh {};
    bool m_ewmhReady = false;
    Atoms m_atoms;
    int m_screenNumber = 0;
    xcb_screen_t *m_screen = nullptr;
    QByteArray m_displayName;
    QSocketNotifier *m_notifier = nullptr;
    bool m_lostReported = false;
};

// Why a connection failed or broke, from xcb's error code.
QString x11ConnectionErrorText(int code);

#endif
