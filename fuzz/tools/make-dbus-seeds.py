#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes the seed corpus of fuzz_dbus_demarshal: a signature, a NUL byte and a little-endian
message body, for lists and records of window properties and for near misses of their types."""
import os
import re
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def record_signature():
    """The record's struct as the interface description gives it."""
    path = os.path.join(HERE, "..", "..", "service", "org.kivo.Kivo.WinProps.Apprc.xml")
    with open(path, encoding="utf-8") as f:
        return re.search(r'name="winProps" type="(\([^"]*\))"', f.read()).group(1)


RECORD = record_signature()


class Body:
    def __init__(self):
        self.data = bytearray()

    def align(self, n):
        while len(self.data) % n:
            self.data.append(0)

    def uint32(self, value):
        self.align(4)
        self.data += struct.pack("<I", value)

    def boolean(self, value):
        self.uint32(1 if value else 0)

    def string(self, text):
        raw = text.encode("utf-8")
        self.uint32(len(raw))
        self.data += raw + b"\0"

    def record(self, name, values=None):
        """values: the position of a member after the name (0 is the first) -> its value; the
        members not given are off, empty or not set."""
        values = values or {}
        self.align(8)
        self.string(name)
        for position, kind in enumerate(RECORD[2:-1]):
            value = values.get(position)
            if kind == "b":
                self.boolean(bool(value))
            elif kind == "s":
                self.string(value or "")
            else:
                self.uint32(0xFFFFFFFF if value is None else value)

    def array(self, fill, element_alignment=8):
        self.uint32(0)
        length_at = len(self.data) - 4
        self.align(element_alignment)
        start = len(self.data)
        fill(self)
        struct.pack_into("<I", self.data, length_at, len(self.data) - start)


def seed(signature, build):
    body = Body()
    build(body)
    return signature.encode() + b"\0" + bytes(body.data)


# Positions in the record of today: 0-10 and 13-18 switches, 11 and 12 the images, 19 the
# geometry, 20 the shadow, 21 the transparency.
def two_records(b):
    b.record("xterm", {2: True, 3: True, 20: 40})
    b.record("Привет 世界",
             {11: "icon", 12: "/usr/share/x.png", 19: "640x480+0+0", 21: 100})


SEEDS = {
    "empty-list": seed("a" + RECORD, lambda b: b.array(lambda a: None)),
    "one-record-list": seed("a" + RECORD, lambda b: b.array(lambda a: a.record("vlc", {16: True}))),
    "two-record-list": seed("a" + RECORD, lambda b: b.array(two_records)),
    "record": seed(RECORD, lambda b: b.record("mpv", {0: True, 18: True, 19: "800x600-10+20",
                                                     20: 5})),
    "list-then-string": seed("a" + RECORD + "s",
                             lambda b: (b.array(lambda a: a.record("a")), b.string("tail"))),
    "field-missing": seed("a" + RECORD[:-2] + ")", lambda b: b.array(lambda a: None)),
    "string-list": seed("as", lambda b: b.array(lambda a: (a.string("x"), a.string("y")), 4)),
    "plain-string": seed("s", lambda b: b.string("not a list")),
    "no-arguments": b"\0",
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        HERE, "..", "corpus", "dbus_demarshal")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
