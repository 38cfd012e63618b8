#!/usr/bin/python3
"""The menus follow the window's state: File > Save Search Results... only once there is a
search to save (and then it saves what tarnix-cli exports), View > Status Output shows and
hides the status pane."""
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_common as c  # noqa: E402
tx = c.tx


def status_pane(win):
    return win.findChild(lambda n: n.roleName == 'text' and tx.plain(n.name) == 'Status Output:', retry=False)


def save_item_enabled(win):
    item = c.menu_item(win, 'File', 'Save Search Results...')
    on = c.enabled(item)
    c.close_menu(win)
    return on


def toggle_status_output(win):
    tx.menu(win, 'View', 'Status Output')
    tx.wait_until(lambda: not any(c.showing(n) for n in win.findChildren(
        lambda n: n.roleName == 'popup menu')), 5, what='the View menu to close')
    item = c.menu_item(win, 'View', 'Status Output')
    ticked = c.checked(item)
    c.close_menu(win)
    return ticked


def save_results(a, win):
    """Ctrl+Shift+S, a .txt name in the file dialog: the text export, same as tarnix-cli's."""
    saved = os.path.join(tx.ARGS.out, 'saved-results.txt')
    tx.key('ctrl+shift+s')
    tx.save_via_dialog(a, 'Save Search Results', saved)
    expected = os.path.join(tx.ARGS.out, 'cli-results.txt')
    p = subprocess.run([c.cli_path(), 'search', c.sample_folder(), '--for', 'CreateFile*', '--details',
                        '--output', expected], capture_output=True, timeout=60)
    c.check(p.returncode == 0, 'tarnix-cli --output exited %d: %s' % (p.returncode, p.stderr.decode(errors='replace')))
    got, want = open(saved, 'rb').read(), open(expected, 'rb').read()
    c.check(got == want, 'the saved results (%d bytes) differ from tarnix-cli --output (%d bytes): %r'
            % (len(got), len(want), got[:120]))


def body(a, win):
    c.check(not save_item_enabled(win), 'Save Search Results... is enabled before any search')

    box = c.run_search(a, win, 'CreateFile*')
    c.check('Go to View and enable Status Output' in box, 'with the pane hidden the finish box says %r' % box)
    tx.wait_until(lambda: save_item_enabled(win), 5, what='Save Search Results... to be enabled')
    tx.stable_cells(tx.results_table(win))  # versions and descriptions read: nothing to confirm
    save_results(a, win)

    pane = status_pane(win)
    c.check(not c.showing(pane), 'the status output pane shows before View > Status Output')
    c.check(toggle_status_output(win), 'View > Status Output is not ticked after choosing it')
    tx.wait_until(lambda: c.showing(pane), 5, what='the status output pane to show')
    text = tx.text_of(pane)
    tx.READ['status_output'] = text
    c.check('Search Finished' in text and 'CreateFile*' in text,
            'the status output does not tell of the search: %r' % text[:300])
    box = c.run_search(a, win, 'CreateFile*')
    c.check('Refer to the status output' in box, 'with the pane shown the finish box says %r' % box)
    c.check(not toggle_status_output(win), 'View > Status Output is still ticked after choosing it again')
    tx.wait_until(lambda: not c.showing(pane), 5, what='the status output pane to hide')


c.run(body)
