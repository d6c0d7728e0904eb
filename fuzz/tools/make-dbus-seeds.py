#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
# SPDX-License-Identifier: GPL-2.0-or-later
"""Writes the seed corpus of fuzz_dbus_demarshal: a signature, a NUL byte and a little-endian
message body, for lists and records of window properties and for near misses of their types."""
import os
import struct
import sys

RECORD = "(sbbbbbbbbbbbssbbbbbbsuu)"


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

    def record(self, name, switches=(), small="", large="", geometry="", shadow=0xFFFFFFFF,
               transparency=0xFFFFFFFF):
        self.align(8)
        self.string(name)
        for i in range(11):
            self.boolean(i in switches)
        self.string(small)
        self.string(large)
        for i in range(11, 17):
            self.boolean(i in switches)
        self.string(geometry)
        self.uint32(shadow)
        self.uint32(transparency)

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


def two_records(b):
    b.record("xterm", switches=(2, 3), shadow=40)
    b.record("Привет 世界", small="icon", large="/usr/share/x.png", geometry="640x480+0+0",
             transparency=100)


SEEDS = {
    "empty-list": seed("a" + RECORD, lambda b: b.array(lambda a: None)),
    "one-record-list": seed("a" + RECORD, lambda b: b.array(lambda a: a.record("vlc", (14,)))),
    "two-record-list": seed("a" + RECORD, lambda b: b.array(two_records)),
    "record": seed(RECORD, lambda b: b.record("mpv", (0, 16), geometry="800x600-10+20", shadow=5)),
    "list-then-string": seed("a" + RECORD + "s",
                             lambda b: (b.array(lambda a: a.record("a")), b.string("tail"))),
    "field-missing": seed("a(sbbbbbbbbbbbssbbbbbbsu)", lambda b: b.array(lambda a: None)),
    "string-list": seed("as", lambda b: b.array(lambda a: (a.string("x"), a.string("y")), 4)),
    "plain-string": seed("s", lambda b: b.string("not a list")),
    "no-arguments": b"\0",
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), "..", "corpus", "dbus_demarshal")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
