// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
//
// The tests' own eyes in GNOME Shell, apart from the extension they test: on the session bus as
// org.kivo.TestReadback at /Windows, Windows() answers what mutter holds of every window as JSON,
// and Display() the X display of its Xwayland with its authority file.
'use strict';

const { Gio, GLib, Meta } = imports.gi;

const INTERFACE = `<node><interface name="org.kivo.TestReadback">
  <method name="Windows"><arg type="s" direction="out"/></method>
  <method name="Display"><arg type="s" direction="out"/></method>
</interface></node>`;

function windowState(window) {
    const frame = window.get_frame_rect();
    const area = window.get_work_area_current_monitor();
    const actor = window.get_compositor_private();
    return {
        wmClass: window.get_wm_class(), instance: window.get_wm_class_instance(),
        above: window.is_above(), sticky: window.is_on_all_workspaces(),
        minimized: window.minimized,
        maximized: window.get_maximized() === Meta.MaximizeFlags.BOTH,
        x: frame.x - area.x, y: frame.y - area.y, width: frame.width, height: frame.height,
        areaWidth: area.width, areaHeight: area.height,
        opacity: actor ? actor.opacity : -1, x11: window.get_client_type() === Meta.WindowClientType.X11,
    };
}

class Readback {
    Windows() {
        return JSON.stringify(global.get_window_actors().map(a => windowState(a.get_meta_window())));
    }

    Display() {
        return JSON.stringify({ display: GLib.getenv('DISPLAY') || '',
            xauthority: GLib.getenv('XAUTHORITY') || '' });
    }
}

class Extension {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, new Readback());
        this._object.export(Gio.DBus.session, '/Windows');
        this._name = Gio.bus_own_name(Gio.BusType.SESSION, 'org.kivo.TestReadback',
            Gio.BusNameOwnerFlags.NONE, null, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._name);
        this._object.unexport();
    }
}

function init() {
    return new Extension();
}
