// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
//
// Applies the window properties kept by the window-properties service to GNOME Shell's windows:
// GNOME has no window rules, and no protocol lets another program change another's windows.
// The records come from the service over the session bus; the windows are matched as the other
// backends match them (an X11 window by its WM_CLASS instance, then its class; a Wayland window
// by its app id). What is applied is taken back when its record changes or goes, and a window
// keeps what it had by itself. Nothing runs for a window that no record names.
'use strict';

const Core = imports.misc.extensionUtils.getCurrentExtension().imports.core;

var WinPropsExtension = class {
    enable() {
        this._core = new Core.WindowProperties();
        this._core.enable();
    }

    disable() {
        this._core.disable();
        this._core = null;
    }
};

function init() {
    return new WinPropsExtension();
}
