"""A panel's part in the Wayland session test, on the session bus the test runs.

  wayland_tray.py watcher FILE   serves a StatusNotifierWatcher with a host present and
                                 writes each item that registers to FILE, one per line,
                                 until killed
  wayland_tray.py press NAME     presses lullwood's button NAME through AT-SPI, as a
                                 screen reader's user does (exit 1 when it is not found)
"""
import sys
import time

WATCHER_XML = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  </interface>
</node>
"""


def serve_watcher(path):
    from gi.repository import Gio, GLib

    items = []
    node = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML)

    def on_call(connection, sender, _path, _interface, method, params, invocation):
        if method == "RegisterStatusNotifierItem":
            service = params.unpack()[0]
            # An item may give its object path only; the host then knows it by sender.
            name = service if not service.startswith("/") else sender
            items.append(name)
            with open(path, "a") as out:
                out.write(name + "\n")
        invocation.return_value(None)

    def on_get(connection, sender, _path, _interface, prop):
        if prop == "RegisteredStatusNotifierItems":
            return GLib.Variant("as", items)
        if prop == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", True)
        return GLib.Variant("i", 0)

    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.register_object("/StatusNotifierWatcher", node.interfaces[0], on_call, on_get, None)
    Gio.bus_own_name_on_connection(bus, "org.kde.StatusNotifierWatcher",
                                   Gio.BusNameOwnerFlags.NONE, None, None)
    GLib.MainLoop().run()


def press(name):
    import pyatspi

    deadline = time.time() + 20
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is None or app.name != "lullwood":
                continue
            found = pyatspi.findDescendant(
                app, lambda o: o.getRole() == pyatspi.ROLE_PUSH_BUTTON and o.name == name)
            if found is not None:
                action = found.queryAction()
                for k in range(action.nActions):
                    if action.getName(k) in ("Press", "press", "click"):
                        action.doAction(k)
                        return 0
                action.doAction(0)
                return 0
        time.sleep(0.2)
    print(f"no button {name!r} in lullwood's accessibility tree")
    return 1


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "watcher":
        serve_watcher(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "press":
        sys.exit(press(sys.argv[2]))
    else:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
