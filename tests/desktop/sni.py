#!/usr/bin/python3
# A StatusNotifierItem host's side of the session bus, for the desktop tier:
#   sni.py watcher LOG [S]      the watcher a panel provides, whose panel (its host) registers S
#                               seconds after it (default 0); each item that registers is a line of LOG
#   sni.py get SERVICE PROP     prints an item's property (IconPixmap: its largest image as WxH)
#   sni.py click SERVICE LABEL  sends "clicked" to the menu entry of that label, as a panel does
#   sni.py activate SERVICE     a left click on the item
#   sni.py serial               the serial number the bus gives this connection (:1.N): the next
#                               one tells how many connections were opened in between
import sys

import dbus
import dbus.service

ITEM = "org.kde.StatusNotifierItem"
WATCHER = "org.kde.StatusNotifierWatcher"


INTROSPECTION = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
  <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
 </interface>
</node>"""


def watcher(log, host_after="0"):
    from dbus.mainloop.glib import DBusGMainLoop
    from gi.repository import GLib

    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()

    class Watcher(dbus.service.Object):
        def __init__(self):
            super().__init__(bus, "/StatusNotifierWatcher")
            self.items = []
            self.host = False

        @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
        def RegisterStatusNotifierItem(self, service, sender=None):
            # An item names its service, or its object path on the caller's connection.
            name = sender if service.startswith("/") else service
            self.items.append(name)
            with open(log, "a") as f:
                f.write(name + "\n")
            self.StatusNotifierItemRegistered(name)

        @dbus.service.method(WATCHER, in_signature="s")
        def RegisterStatusNotifierHost(self, service):
            pass

        @dbus.service.signal(WATCHER, signature="s")
        def StatusNotifierItemRegistered(self, service):
            pass

        @dbus.service.signal(WATCHER)
        def StatusNotifierHostRegistered(self):
            pass

        def host_registers(self):
            self.host = True
            self.StatusNotifierHostRegistered()
            return False

        # Properties are read through the interface's description, so it lists them.
        @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
        def Introspect(self):
            return INTROSPECTION

        @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
        def Get(self, interface, prop):
            return self.GetAll(interface)[prop]

        @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
        def GetAll(self, interface):
            return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                    "IsStatusNotifierHostRegistered": self.host, "ProtocolVersion": dbus.Int32(0)}

    w = Watcher()
    # The name last: an item that sees it can register at once.
    name = dbus.service.BusName(WATCHER, bus)
    GLib.timeout_add(int(float(host_after) * 1000), w.host_registers)
    GLib.MainLoop().run()
    del w, name


def item(bus, service):
    return bus.get_object(service, "/StatusNotifierItem")


def get(service, prop):
    value = item(dbus.SessionBus(), service).Get(ITEM, prop, dbus_interface=dbus.PROPERTIES_IFACE)
    if prop == "IconPixmap":
        sizes = sorted((int(w) * int(h), int(w), int(h), len(data)) for w, h, data in value)
        if sizes and sizes[-1][3] == 4 * sizes[-1][0]:
            print("%dx%d" % sizes[-1][1:3])
    elif prop == "ToolTip":
        print(value[2])
    else:
        print(value)


def labels(layout, found):
    ident, props, children = layout
    if "label" in props:
        found[str(props["label"]).replace("_", "")] = int(ident)
    for child in children:
        labels(child, found)
    return found


def click(service, label):
    bus = dbus.SessionBus()
    path = item(bus, service).Get(ITEM, "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
    menu = bus.get_object(service, path)
    found = labels(menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface="com.canonical.dbusmenu")[1], {})
    if label not in found:
        sys.exit("no entry %r among %r" % (label, sorted(found)))
    menu.Event(found[label], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
               dbus_interface="com.canonical.dbusmenu")


def activate(service):
    item(dbus.SessionBus(), service).Activate(0, 0, dbus_interface=ITEM)


def serial():
    print(dbus.SessionBus().get_unique_name().rsplit(".", 1)[1])


commands = {"watcher": watcher, "get": get, "click": click, "activate": activate, "serial": serial}
commands[sys.argv[1]](*sys.argv[2:])
