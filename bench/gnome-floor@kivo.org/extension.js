// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
//
// The floor of the GNOME bench: the least an extension written for one property does. On the
// session bus as org.kivo.BenchFloor at /Floor, SetAbove(name, above) keeps the windows of that
// WM_CLASS instance or class (or app id) above, or no longer: those open at once, new ones when
// mutter maps them.
'use strict';

const { Gio } = imports.gi;

const INTERFACE = `<node><interface name="org.kivo.BenchFloor">
  <method name="SetAbove"><arg type="s" direction="in"/><arg type="b" direction="in"/></method>
</interface></node>`;

function named(window, name) {
    return window.get_wm_class_instance() === name || window.get_wm_class() === name;
}

class Floor {
    constructor() {
        this._names = new Set();
    }

    SetAbove(name, above) {
        if (above)
            this._names.add(name);
        else
            this._names.delete(name);
        for (const actor of global.get_window_actors()) {
            const window = actor.get_meta_window();
            if (named(window, name))
                above ? window.make_above() : window.unmake_above();
        }
    }

    mapped(actor) {
        const window = actor.get_meta_window();
        for (const name of this._names) {
            if (named(window, name)) {
                window.make_above();
                return;
            }
        }
    }
}

class Extension {
    enable() {
        this._floor = new Floor();
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this._floor);
        this._object.export(Gio.DBus.session, '/Floor');
        this._name = Gio.bus_own_name(Gio.BusType.SESSION, 'org.kivo.BenchFloor',
            Gio.BusNameOwnerFlags.NONE, null, null, null);
        this._map = global.window_manager.connect('map', (wm, actor) => this._floor.mapped(actor));
    }

    disable() {
        global.window_manager.disconnect(this._map);
        Gio.bus_unown_name(this._name);
        this._object.unexport();
    }
}

function init() {
    return new Extension();
}
