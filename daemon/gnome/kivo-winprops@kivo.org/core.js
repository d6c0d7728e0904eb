// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
//
// The extension's work, apart from how GNOME Shell loads it (imports here; ES modules from
// GNOME 45 on), so that the step to those is a new extension.js only.
'use strict';

const { Gio, GLib, Meta } = imports.gi;

const SERVICE = 'org.kivo.kivo-winprops';
const SERVICE_PATH = '/Apprc';
const SERVICE_INTERFACE = 'org.kivo.Kivo.WinProps.Apprc';
// Owned while the extension is enabled: the service knows by it that GNOME Shell applies.
var PRESENCE = 'org.kivo.kivowinprops.GnomeShell';
const CLOSE_SOON_MS = 500;
// How long a new window waits for its record to be read.
const NEW_WINDOW_MS = 2000;
// How long after its placing a new window's frame may still come.
const FRAME_SETTLE_MS = 1000;
const OPAQUE = 255;

// The members of a record as the service sends them, after its name.
const MEMBERS = ['sticky', 'no_focus', 'no_title', 'no_border', 'no_border_edge', 'no_ctrlbtn',
    'no_button1', 'no_button2', 'no_button3', 'no_tbutton', 'no_pager', 'small_image',
    'large_image', 'close_soon', 'ontop', 'onbottom', 'init_maximize', 'init_minimize',
    'focus_on_click', 'geometry', 'shadow', 'transparency'];
const NOT_SET = 100;

// "WxH+X+Y", every part optional, either sign before an offset: the X geometry string.
function parseGeometry(text) {
    const match = /^(?:(\d+)x(\d+))?(?:([+-])(-?\d+)([+-])(-?\d+))?$/.exec(text);
    if (!match || text === '')
        return null;
    return {
        width: match[1] ? Number(match[1]) : 0,
        height: match[2] ? Number(match[2]) : 0,
        placed: match[3] !== undefined,
        x: Number(match[4] || 0),
        y: Number(match[6] || 0),
        fromRight: match[3] === '-',
        fromBottom: match[5] === '-',
    };
}

function recordOf(struct) {
    const record = { name: struct[0] };
    MEMBERS.forEach((member, i) => {
        record[member] = struct[i + 1];
    });
    return record;
}

// What stays in force on a window while its record asks for it.
function lastingOf(record) {
    return {
        above: !!record && record.ontop,
        sticky: !!record && record.sticky,
        opacity: record && record.transparency <= NOT_SET
            ? Math.round(OPAQUE * (NOT_SET - record.transparency) / NOT_SET) : null,
    };
}

var WindowProperties = class {
    constructor() {
        this._records = new Map();
        this._windows = new Map();
        this._signals = [];
        this._serviceSignals = [];
        this._pending = 0;
        // Windows opened a moment ago that have not started as a record says.
        this._new = new Map();
        // Timeouts not run yet.
        this._timeouts = new Set();
    }

    enable() {
        this._presence = Gio.bus_own_name(Gio.BusType.SESSION, PRESENCE,
            Gio.BusNameOwnerFlags.NONE, null, null, null);
        this._watch = Gio.bus_watch_name(Gio.BusType.SESSION, SERVICE,
            Gio.BusNameWatcherFlags.NONE, () => this._serviceAppeared(),
            () => this._serviceVanished());
        this._connect(global.display, 'window-created', (display, window) => this._created(window));
        this._connect(global.window_manager, 'map', (wm, actor) => this._mapped(actor));
    }

    disable() {
        for (const [object, id] of this._signals)
            object.disconnect(id);
        this._signals = [];
        this._unsubscribe();
        Gio.bus_unwatch_name(this._watch);
        this._watch = 0;
        Gio.bus_unown_name(this._presence);
        if (this._pending)
            GLib.source_remove(this._pending);
        this._pending = 0;
        for (const id of this._timeouts)
            GLib.source_remove(id);
        this._timeouts.clear();
        for (const window of [...this._new.keys()])
            this._forgetNew(window);
        // Every window as it would be without us.
        for (const [window, state] of this._windows)
            this._putInForce(window, state, lastingOf(null));
        this._windows.clear();
        this._records.clear();
    }

    _connect(object, signal, handler) {
        this._signals.push([object, object.connect(signal, handler)]);
    }

    _serviceAppeared() {
        this._unsubscribe();
        for (const signal of ['changedWindowProperties', 'removedWindowProperties', 'windowRenamed']) {
            this._serviceSignals.push(Gio.DBus.session.signal_subscribe(SERVICE, SERVICE_INTERFACE,
                signal, SERVICE_PATH, null, Gio.DBusSignalFlags.NONE,
                (connection, sender, path, iface, name, parameters) =>
                    this._changed(name, parameters.deepUnpack())));
        }
        this._fetch();
    }

    // A change as the service tells it: one round trip less than reading the records again. The
    // service sends its signals and replies in order, so a change told before the records read
    // at its appearing is in them, and one told after comes after them.
    _changed(signal, args) {
        if (signal === 'changedWindowProperties') {
            const record = recordOf(args[0]);
            this._records.set(record.name, record);
        } else if (signal === 'removedWindowProperties') {
            this._records.delete(args[0]);
        } else {
            const record = this._records.get(args[0]);
            this._records.delete(args[0]);
            if (record) {
                record.name = args[1];
                this._records.set(record.name, record);
            }
        }
        this._applySoon();
    }

    // What was applied stays while the service is away; it is read again when it is back.
    _serviceVanished() {
        this._unsubscribe();
    }

    _unsubscribe() {
        for (const id of this._serviceSignals)
            Gio.DBus.session.signal_unsubscribe(id);
        this._serviceSignals = [];
    }

    // A burst of changes is applied in one pass.
    _applySoon() {
        if (this._pending)
            return;
        this._pending = GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
            this._pending = 0;
            this._applyRecords();
            return GLib.SOURCE_REMOVE;
        });
    }

    _applyRecords() {
        this._applyToAll();
        for (const window of [...this._new.keys()])
            this._startIfNamed(window);
    }

    _fetch() {
        Gio.DBus.session.call(SERVICE, SERVICE_PATH, SERVICE_INTERFACE, 'getAllProperties', null,
            null, Gio.DBusCallFlags.NO_AUTO_START, -1, null, (connection, result) => {
                let structs;
                try {
                    structs = connection.call_finish(result).deepUnpack()[0];
                } catch (e) {
                    // Gone meanwhile: read again when it is back.
                    return;
                }
                // Disabled meanwhile.
                if (!this._watch)
                    return;
                this._records.clear();
                for (const struct of structs) {
                    const record = recordOf(struct);
                    // The first of a name wins, as everywhere.
                    if (!this._records.has(record.name))
                        this._records.set(record.name, record);
                }
                this._applyRecords();
            });
    }

    _recordOf(window) {
        for (const name of [window.get_wm_class_instance(), window.get_wm_class()]) {
            if (name && this._records.has(name))
                return this._records.get(name);
        }
        return null;
    }

    _applyToAll() {
        for (const actor of global.get_window_actors())
            this._applyLasting(actor.get_meta_window());
    }

    // A window opened right after its record was stored may come before the records are read
    // again: a new window waits a moment for them.
    _created(window) {
        const fresh = { mapped: false, signals: [] };
        this._new.set(window, fresh);
        // A Wayland window may name itself only after it was created.
        fresh.signals.push(window.connect('notify::wm-class', () => this._startIfNamed(window)));
        fresh.signals.push(window.connect('unmanaged', () => this._forgetNew(window)));
        fresh.timeout = GLib.timeout_add(GLib.PRIORITY_DEFAULT, NEW_WINDOW_MS, () => {
            fresh.timeout = 0;
            this._forgetNew(window);
            return GLib.SOURCE_REMOVE;
        });
    }

    _forgetNew(window) {
        const fresh = this._new.get(window);
        if (!fresh)
            return;
        this._new.delete(window);
        for (const id of fresh.signals)
            window.disconnect(id);
        if (fresh.timeout)
            GLib.source_remove(fresh.timeout);
    }

    // Shown: mutter has placed it. (A headless shell paints nothing, so that neither 'shown' nor
    // the actor's first frame comes there; the window manager's 'map' does.)
    _mapped(actor) {
        const window = actor.get_meta_window();
        const fresh = this._new.get(window);
        if (!fresh)
            return;
        fresh.mapped = true;
        this._startIfNamed(window);
    }

    // How a new window starts: its place, maximized or minimized, closed soon.
    _startIfNamed(window) {
        const fresh = this._new.get(window);
        const record = fresh && fresh.mapped ? this._recordOf(window) : null;
        if (!record)
            return;
        this._forgetNew(window);
        this._applyLasting(window);
        this._applyStart(window, record);
    }

    _applyStart(window, record) {
        const geometry = parseGeometry(record.geometry);
        if (geometry)
            this._place(window, geometry);
        if (record.init_maximize)
            window.maximize(Meta.MaximizeFlags.BOTH);
        if (record.init_minimize)
            window.minimize();
        if (record.close_soon) {
            const id = GLib.timeout_add(GLib.PRIORITY_DEFAULT, CLOSE_SOON_MS, () => {
                this._timeouts.delete(id);
                if (window.get_compositor_private())
                    window.delete(global.get_current_time());
                return GLib.SOURCE_REMOVE;
            });
            this._timeouts.add(id);
        }
    }

    // Offsets count from the work area's edges, a '-' one from its right or bottom edge.
    _place(window, geometry) {
        const area = window.get_work_area_current_monitor();
        const frame = window.get_frame_rect();
        const width = geometry.width || frame.width;
        const height = geometry.height || frame.height;
        let x = frame.x;
        let y = frame.y;
        if (geometry.placed) {
            x = geometry.fromRight ? area.x + area.width - width - geometry.x : area.x + geometry.x;
            y = geometry.fromBottom ? area.y + area.height - height - geometry.y
                : area.y + geometry.y;
        }
        window.move_resize_frame(true, x, y, width, height);
        // A new X11 window gets its frame only after this, and lands off by it (measured: 2 px
        // left, 12 px low); once framed, it goes where it is asked. A busy Wayland client may
        // commit its own size after the asked one: asked again, it takes it.
        const watched = [];
        const settled = () => {
            const now = window.get_frame_rect();
            if (now.x === x && now.y === y && now.width === width && now.height === height)
                return;
            for (const id of watched.splice(0))
                window.disconnect(id);
            const again = GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
                this._timeouts.delete(again);
                if (window.get_compositor_private())
                    window.move_resize_frame(true, x, y, width, height);
                return GLib.SOURCE_REMOVE;
            });
            this._timeouts.add(again);
        };
        watched.push(window.connect('position-changed', settled),
            window.connect('size-changed', settled));
        const id = GLib.timeout_add(GLib.PRIORITY_DEFAULT, FRAME_SETTLE_MS, () => {
            this._timeouts.delete(id);
            if (window.get_compositor_private()) {
                for (const handler of watched.splice(0))
                    window.disconnect(handler);
            }
            return GLib.SOURCE_REMOVE;
        });
        this._timeouts.add(id);
    }

    _applyLasting(window) {
        const record = this._recordOf(window);
        let state = this._windows.get(window);
        if (!record && !state)
            return;
        if (!state) {
            state = { applied: lastingOf(null), own: null };
            this._windows.set(window, state);
            const id = window.connect('unmanaged', () => {
                window.disconnect(id);
                this._windows.delete(window);
            });
        }
        this._putInForce(window, state, lastingOf(record));
    }

    // What the window had by itself is kept when first overridden, and given back after.
    _putInForce(window, state, wanted) {
        const actor = window.get_compositor_private();
        if (!state.own) {
            state.own = { above: window.is_above(), sticky: window.is_on_all_workspaces(),
                opacity: actor ? actor.opacity : OPAQUE };
        }
        const applied = state.applied;
        if (wanted.above !== applied.above) {
            if (wanted.above || state.own.above)
                window.make_above();
            else
                window.unmake_above();
        }
        if (wanted.sticky !== applied.sticky) {
            if (wanted.sticky || state.own.sticky)
                window.stick();
            else
                window.unstick();
        }
        if (wanted.opacity !== applied.opacity && actor)
            actor.opacity = wanted.opacity === null ? state.own.opacity : wanted.opacity;
        state.applied = wanted;
    }
};
