// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_X11WINDOWPICKER_H
#define KIVO_X11WINDOWPICKER_H

#include "platform/x11/windowpickoutcome.h"
#include "platform/x11/x11connection.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

// Lets the user choose a window with the mouse: while a pick runs, the pointer is a cross over the
// whole screen and the next left click names the window under it. Escape or a right click
// cancels. Driven by the connection's events in the Qt event loop; nothing waits for the user.
class X11WindowPicker : public QObject
{
    Q_OBJECT

public:
    enum class Start { Started, Busy, Lost };
    using Outcome = WindowPickOutcome;

    explicit X11WindowPicker(std::unique_ptr<X11Connection> x11, QObject *parent = nullptr);
    // A pick still running is ended without a finished() signal.
    ~X11WindowPicker() override;

    // Grabs the pointer, with a cross, and the keyboard. Busy, with nothing grabbed, when another
    // program holds either (or a pick runs already).
    Start start();
    bool isPicking() const { return m_picking; }

Q_SIGNALS:
    // windowName: the picked window's WM_CLASS instance, else its class; empty unless Picked.
    // Emitted from the event loop after the grab ended, so receivers may open modal dialogs.
    void finished(WindowPickOutcome outcome, const QString &windowName);

private:
    bool grab();
    void handleEvent(const xcb_generic_event_t *event);
    void pressed(const xcb_button_press_event_t *event);
    void released(const xcb_button_release_event_t *event);
    void pickedWindow(xcb_window_t topLevel);
    void finish(Outcome outcome, const QString &windowName = QString());
    void ungrab();

    std::unique_ptr<X11Connection> m_x11;
    QVector<xcb_keycode_t> m_escapeKeys;
    bool m_picking = false;
    // The button whose release ends the pick, and what the pick then reports.
    xcb_button_t m_endingButton = 0;
    xcb_window_t m_target = XCB_WINDOW_NONE;
};

#endif
