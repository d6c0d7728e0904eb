// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/x11/x11windowpicker.h"

#include "platform/x11/x11windows.h"

#include <optional>

namespace {

constexpr xcb_keysym_t escapeKeysym = 0xff1b;
constexpr xcb_button_t leftButton = 1;
constexpr xcb_button_t rightButton = 3;

// The crosshair of the X core "cursor" font (XC_crosshair; the next glyph is its mask).
xcb_cursor_t createCrosshair(xcb_connection_t *xcb)
{
    constexpr uint16_t crosshairGlyph = 34;
    const xcb_font_t font = xcb_generate_id(xcb);
    xcb_open_font(xcb, font, 6, "cursor");
    const xcb_cursor_t cursor = xcb_generate_id(xcb);
    xcb_create_glyph_cursor(xcb, cursor, font, font, crosshairGlyph, crosshairGlyph + 1, 0, 0, 0,
                            0xffff, 0xffff, 0xffff);
    xcb_close_font(xcb, font);
    return cursor;
}

QString windowNameOf(const std::optional<X11::WmClass> &wmClass)
{
    if (!wmClass)
        return QString();
    return wmClass->instance.isEmpty() ? wmClass->className : wmClass->instance;
}

} // namespace

X11WindowPicker::X11WindowPicker(std::unique_ptr<X11Connection> x11, QObject *parent)
    : QObject(parent)
    , m_x11(std::move(x11))
{
    connect(m_x11.get(), &X11Connection::eventReceived, this, &X11WindowPicker::handleEvent);
    connect(m_x11.get(), &X11Connection::lost, this, [this] {
        if (m_picking)
            finish(Outcome::Lost);
    });
    m_x11->watch();
}

X11WindowPicker::~X11WindowPicker()
{
    if (m_picking)
        ungrab();
}

X11WindowPicker::Start X11WindowPicker::start()
{
    if (m_x11->isLost())
        return Start::Lost;
    if (m_picking)
        return Start::Busy;
    m_escapeKeys = X11::keycodesOf(*m_x11, escapeKeysym);
    if (!grab())
        return m_x11->isLost() ? Start::Lost : Start::Busy;
    m_picking = true;
    m_endingButton = 0;
    m_target = XCB_WINDOW_NONE;
    return Start::Started;
}

bool X11WindowPicker::grab()
{
    xcb_connection_t *xcb = m_x11->xcb();
    const xcb_cursor_t cursor = createCrosshair(xcb);
    const auto pointer = X11::adopt(xcb_grab_pointer_reply(
        xcb,
        xcb_grab_pointer(
            xcb, 0, m_x11->root(), XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE,
            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_WINDOW_NONE, cursor, XCB_CURRENT_TIME),
        nullptr));
    // The grab holds on to the cursor as long as it needs it.
    xcb_free_cursor(xcb, cursor);
    if (!pointer || pointer->status != XCB_GRAB_STATUS_SUCCESS)
        return false;
    const auto keyboard = X11::adopt(
        xcb_grab_keyboard_reply(xcb,
                                xcb_grab_keyboard(xcb, 0, m_x11->root(), XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr));
    if (keyboard && keyboard->status == XCB_GRAB_STATUS_SUCCESS)
        return true;
    xcb_ungrab_pointer(xcb, XCB_CURRENT_TIME);
    m_x11->flush();
    return false;
}

void X11WindowPicker::handleEvent(const xcb_generic_event_t *event)
{
    if (!m_picking)
        return;
    switch (event->response_type & 0x7f) {
    case XCB_BUTTON_PRESS:
        pressed(reinterpret_cast<const xcb_button_press_event_t *>(event));
        break;
    case XCB_BUTTON_RELEASE:
        released(reinterpret_cast<const xcb_button_release_event_t *>(event));
        break;
    case XCB_KEY_PRESS:
        if (m_escapeKeys.contains(reinterpret_cast<const xcb_key_press_event_t *>(event)->detail))
            finish(Outcome::Cancelled);
        break;
    default:
        break;
    }
}

// The press chooses; the pick ends on its release, so that the click does not reach the window
// under the pointer half done.
void X11WindowPicker::pressed(const xcb_button_press_event_t *event)
{
    if (m_endingButton != 0 || (event->detail != leftButton && event->detail != rightButton))
        return;
    m_endingButton = event->detail;
    // The child of the root window that holds the pointer: a frame, or a window unmanaged.
    m_target = event->child;
}

void X11WindowPicker::released(const xcb_button_release_event_t *event)
{
    if (event->detail != m_endingButton)
        return;
    if (m_endingButton == rightButton)
        finish(Outcome::Cancelled);
    else
        pickedWindow(m_target);
}

void X11WindowPicker::pickedWindow(xcb_window_t topLevel)
{
    if (topLevel == XCB_WINDOW_NONE) {
        finish(Outcome::RootWindow);
        return;
    }
    // Without WM_STATE below it, the window was not put there by a window manager: itself.
    const xcb_window_t client = X11::clientWindowIn(*m_x11, topLevel);
    const QString name
        = windowNameOf(X11::readWmClass(*m_x11, client != XCB_WINDOW_NONE ? client : topLevel));
    finish(name.isEmpty() ? Outcome::NoWmClass : Outcome::Picked, name);
}

void X11WindowPicker::finish(Outcome outcome, const QString &windowName)
{
    // First, so that events handed out while ungrabbing are not taken for this pick's.
    m_picking = false;
    ungrab();
    QMetaObject::invokeMethod(
        this, [this, outcome, windowName] { Q_EMIT finished(outcome, windowName); },
        Qt::QueuedConnection);
}

void X11WindowPicker::ungrab()
{
    if (m_x11->isLost())
        return;
    xcb_connection_t *xcb = m_x11->xcb();
    xcb_ungrab_keyboard(xcb, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(xcb, XCB_CURRENT_TIME);
    // Other programs see pointer and keyboard free once finished() comes.
    X11::sync(*m_x11);
}
