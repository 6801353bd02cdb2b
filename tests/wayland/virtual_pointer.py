#!/usr/bin/env python3
"""Gives a Wayland compositor's seat a pointer: a virtual pointer device
(zwlr_virtual_pointer_manager_v1), so that clients get pointer events when
the compositor moves its cursor (sway: `swaymsg seat - cursor move X Y`).
A headless compositor with no input devices has none, and its clients then
see no moves at all.

    virtual_pointer.py

Connects to $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY, prints "ready" once the
compositor has made the device, and keeps it until killed. Speaks the wire
protocol itself, so it needs nothing but Python."""

import os
import socket
import struct
import sys

DISPLAY_ID, REGISTRY_ID = 1, 2


class Connection:
    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.buffer = b""
        self.next_id = REGISTRY_ID

    def new_id(self):
        self.next_id += 1
        return self.next_id

    def send(self, object_id, opcode, payload=b""):
        size = 8 + len(payload)
        self.sock.sendall(struct.pack("=II", object_id, (size << 16) | opcode) + payload)

    def events(self):
        """Yields (object id, opcode, payload) for each event as it comes."""
        while True:
            while len(self.buffer) >= 8:
                object_id, word = struct.unpack_from("=II", self.buffer)
                size = word >> 16
                if len(self.buffer) < size:
                    break
                payload, self.buffer = self.buffer[8:size], self.buffer[size:]
                yield object_id, word & 0xFFFF, payload
            data = self.sock.recv(65536)
            if not data:
                return
            self.buffer += data

    def roundtrip(self, on_event):
        """Sends wl_display.sync and hands every event to on_event until done."""
        callback = self.new_id()
        self.send(DISPLAY_ID, 0, struct.pack("=I", callback))
        for object_id, opcode, payload in self.events():
            if object_id == callback:
                return
            if object_id == DISPLAY_ID and opcode == 0:  # wl_display.error
                sys.exit("the compositor reported an error: %r" % payload)
            on_event(object_id, opcode, payload)
        sys.exit("the compositor closed the connection")


def wire_string(text):
    data = text.encode() + b"\0"
    return struct.pack("=I", len(data)) + data + b"\0" * (-len(data) % 4)


def read_string(payload, offset):
    (length,) = struct.unpack_from("=I", payload, offset)
    text = payload[offset + 4:offset + 4 + length - 1].decode()
    return text, offset + 4 + length + (-length % 4)


def main():
    path = os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ.get("WAYLAND_DISPLAY", "wayland-0"))
    wayland = Connection(path)
    wayland.send(DISPLAY_ID, 1, struct.pack("=I", REGISTRY_ID))  # wl_display.get_registry
    globals_ = {}

    def on_global(object_id, opcode, payload):
        if object_id == REGISTRY_ID and opcode == 0:  # wl_registry.global
            (name,) = struct.unpack_from("=I", payload)
            interface, offset = read_string(payload, 4)
            (version,) = struct.unpack_from("=I", payload, offset)
            globals_[interface] = (name, version)

    wayland.roundtrip(on_global)
    manager_interface = "zwlr_virtual_pointer_manager_v1"
    if manager_interface not in globals_:
        sys.exit("the compositor offers no %s" % manager_interface)
    name, _ = globals_[manager_interface]
    manager = wayland.new_id()
    # wl_registry.bind with an untyped new_id: interface, version, id.
    wayland.send(REGISTRY_ID, 0, struct.pack("=I", name) + wire_string(manager_interface) + struct.pack("=II", 1, manager))
    pointer = wayland.new_id()
    # create_virtual_pointer(seat: none, the default seat; id)
    wayland.send(manager, 0, struct.pack("=II", 0, pointer))
    wayland.roundtrip(lambda *event: None)
    print("ready", flush=True)
    for _ in wayland.events():
        pass


if __name__ == "__main__":
    main()
