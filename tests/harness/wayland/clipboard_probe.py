#!/usr/bin/python3
"""The clipboard as a user's other program sees it, for the Wayland tests on desktops
whose compositor offers no data-control protocol to wl-paste (GNOME Shell) and takes a
selection only from a client with the keyboard focus. A small GTK window, once it has
the focus:
    clipboard_probe.py paste MIME OUT   writes the clipboard's MIME data to OUT (exit 0),
                                        exit 1 when the clipboard holds none
    clipboard_probe.py copy TEXT        puts TEXT on the clipboard, says "copied" on
                                        stdout and serves pastes (8 s)
Exit 3 when the window got no focus within 10 s."""
import sys
import gi
gi.require_version('Gtk', '3.0')
gi.require_version('Gdk', '3.0')
from gi.repository import Gdk, GLib, Gtk

status = {'code': 3}


def finish(code):
    status['code'] = code
    Gtk.main_quit()
    return False


def paste(mime, out):
    clipboard = Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD)
    data = clipboard.wait_for_contents(Gdk.Atom.intern(mime, False))
    if data is None or data.get_length() <= 0:
        return finish(1)
    with open(out, 'wb') as file:
        file.write(data.get_data())
    return finish(0)


def copy(text):
    Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD).set_text(text, -1)
    print('copied', flush=True)
    status['code'] = 0
    # Serves the paste while it runs.
    GLib.timeout_add(8000, lambda: finish(0))
    return False


def main():
    window = Gtk.Window(title='Vornik clipboard probe')
    window.set_default_size(120, 60)
    acted = {'done': False}

    def focused(*_):
        if acted['done']:
            return
        acted['done'] = True
        if sys.argv[1] == 'paste':
            GLib.timeout_add(100, lambda: paste(sys.argv[2], sys.argv[3]))
        else:
            GLib.timeout_add(100, lambda: copy(sys.argv[2]))

    window.connect('focus-in-event', focused)
    GLib.timeout_add(10000, lambda: finish(status['code']))
    window.show_all()
    Gtk.main()
    return status['code']


if __name__ == '__main__':
    sys.exit(main())
