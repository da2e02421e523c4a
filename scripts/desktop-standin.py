#!/usr/bin/python3
# A stand-in desktop for e2e-desktop.sh: owns Notifications and ScreenSaver, logs each call and
# LauncherEntry signal as a line of LOG, invokes a notification's default action 1 s later.
import sys

import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

log = open(sys.argv[1], "a", buffering=1, encoding="utf-8")
cookie = 40


class Notifications(dbus.service.Object):
    @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        log.write("|".join(["notify", app, icon, summary, body, ",".join(actions), hints.get("desktop-entry", "")]) + "\n")
        GLib.timeout_add(1000, lambda: self.ActionInvoked(7, "default") or False)
        return 7

    @dbus.service.signal("org.freedesktop.Notifications", signature="us")
    def ActionInvoked(self, nid, key):
        log.write("action\n")


class ScreenSaver(dbus.service.Object):
    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="ss", out_signature="u")
    def Inhibit(self, app, reason):
        global cookie
        cookie += 1
        log.write(f"inhibit {app}: {reason}\n")
        return cookie

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="u")
    def UnInhibit(self, released):
        log.write("release " + ("same" if released == cookie else "other") + "\n")


def update(uri, properties):
    shown = uri == "application://org.example.Teilomat.desktop" and properties.get("progress-visible")
    log.write(f"progress {float(properties['progress'])}\n" if shown else "hidden\n")


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
names = [dbus.service.BusName("org.freedesktop." + n, bus) for n in ("Notifications", "ScreenSaver")]
objects = [Notifications(bus, "/org/freedesktop/Notifications"), ScreenSaver(bus, "/org/freedesktop/ScreenSaver")]
bus.add_signal_receiver(update, signal_name="Update", dbus_interface="com.canonical.Unity.LauncherEntry")
print("ready", flush=True)
GLib.MainLoop().run()
