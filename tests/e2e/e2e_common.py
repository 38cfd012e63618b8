"""What the window drives share: the gui-drive helpers, the program's own paths and a few
steps every drive takes (find the window, search, read the results list)."""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

# The gui-drive helpers live next to the repository (../shared/gui-drive), or wherever
# TARNIX_GUI_DRIVE says; they are used from there, not copied.
GUI_DRIVE = os.environ.get('TARNIX_GUI_DRIVE') or os.path.join(os.path.dirname(REPO), 'shared', 'gui-drive')
sys.path.insert(0, GUI_DRIVE)
import tx  # noqa: E402
pyatspi = tx.pyatspi

# Controls a user operates; each needs a name a screen reader can say.
CONTROL_ROLES = ('push button', 'toggle button', 'check box', 'radio button', 'combo box', 'text',
                 'spin button', 'slider', 'table', 'tree table', 'list', 'progress bar',
                 'menu item', 'check menu item', 'radio menu item', 'menu', 'page tab', 'link')


class Failed(Exception):
    """A check that did not hold; its text goes to read.json and the summary."""


def check(cond, what):
    if not cond:
        raise Failed(what)


def app_argv(pid):
    with open('/proc/%d/cmdline' % pid, 'rb') as f:
        return [a.decode('utf-8', 'surrogateescape') for a in f.read().split(b'\0') if a]


def sample_folder():
    """The folder the program was started with (its first argument)."""
    argv = app_argv(tx.ARGS.app_pid)
    check(len(argv) >= 2, 'tarnix was started without a folder: %r' % argv)
    return argv[1]


def cli_path():
    p = os.environ.get('TARNIX_CLI')
    if p:
        return p
    exe = os.path.realpath('/proc/%d/exe' % tx.ARGS.app_pid)   # build/*/src/gui/tarnix
    return os.path.join(os.path.dirname(os.path.dirname(exe)), 'tarnix-cli')


def cli_search(folder, pattern, details=False):
    """tarnix-cli's results for the same criteria: (header, rows, stderr)."""
    cmd = [cli_path(), 'search', folder, '--for', pattern, '--header'] + (['--details'] if details else [])
    p = subprocess.run(cmd, capture_output=True, timeout=60)
    out = p.stdout.decode('utf-8', 'replace')
    err = p.stderr.decode('utf-8', 'replace')
    check(p.returncode == 0, 'tarnix-cli %s exited %d: %s' % (' '.join(cmd[1:]), p.returncode, err.strip()))
    lines = [l for l in out.split('\n') if l]
    check(lines, 'tarnix-cli printed no header')
    return lines[0].split('\t'), [l.split('\t') for l in lines[1:]], err


def node_named(n):
    """A name a screen reader would say: its own, or one given by a label (relation)."""
    if tx.plain(n.name):
        return True
    if any(r.getRelationType() == pyatspi.RELATION_LABELLED_BY and tx.plain(r.getTarget(0).name)
           for r in n.getRelationSet()):
        return True
    p = n.parent
    # the line edit and the drop-down list of a combo box are parts of the named combo
    return p is not None and p.roleName == 'combo box' and n.roleName in ('text', 'list')


def where(n):
    """'menu bar/File/Exit'-like path of a node, for messages."""
    parts = []
    while n is not None and n.roleName not in ('frame', 'dialog', 'application'):
        parts.append('%s %r' % (n.roleName, tx.plain(n.name)))
        n = n.parent
    return ' < '.join(parts)


def showing(n):
    return n.getState().contains(pyatspi.STATE_SHOWING)


def enabled(n):
    st = n.getState()
    return st.contains(pyatspi.STATE_ENABLED) or st.contains(pyatspi.STATE_SENSITIVE)


def checked(n):
    return n.getState().contains(pyatspi.STATE_CHECKED)


def start_window():
    tx.start()
    a = tx.app(30)
    return a, tx.main_window(a, 30)


def search_box(win):
    """The Search String box: the editable combo box of the Search For group (its name is
    its text once something was typed, so it is found by where it is)."""
    def find():
        group = win.findChild(lambda n: n.roleName in ('panel', 'filler') and tx.plain(n.name) == 'Search For',
                              retry=False, requireResult=False)
        for n in group.children if group is not None else []:
            if n.roleName == 'combo box' and any(k.roleName == 'text' for k in n.children):
                return n
        return None
    return tx.wait_until(find, 10, what='the Search String box')


def run_search(a, win, pattern):
    """Types the pattern, presses SEARCH, answers the finish box; returns the box text."""
    box = search_box(win)
    edit = tx.type_into(box, pattern)
    tx.wait_until(lambda: tx.text_of(edit) == pattern, 5, what='%r in the Search String box' % pattern)
    tx.press(win, '&SEARCH')
    return tx.finish_box(a, 60)


def menu_item(win, top, caption):
    """Opens menu `top` by clicking it and returns its item `caption` (menu left open)."""
    tx.menu(win, top)
    return tx.wait_until(lambda: next(n for n in win.findChildren(
        lambda n: n.roleName in ('menu item', 'check menu item', 'radio menu item', 'menu')
        and tx.plain(n.name) == caption and showing(n))), 10, what='menu item %r' % caption)


def close_menu(win):
    tx.key('Escape')
    tx.wait_until(lambda: not any(showing(n) for n in win.findChildren(
        lambda n: n.roleName == 'popup menu')), 5, what='the menu to close')


def run(body):
    """Runs a drive: body(app, window) raises Failed (or anything) when a check fails."""
    try:
        a, win = start_window()
        body(a, win)
        tx.finish(True)
    except Failed as e:
        tx.finish(False, str(e))
    except Exception as e:  # a step that could not be done is a failure of the drive
        tx.finish(False, '%s: %s' % (type(e).__name__, e))
