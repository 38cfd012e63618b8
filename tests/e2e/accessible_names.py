#!/usr/bin/python3
"""Every control of the main window has a name a screen reader can say: the visible ones,
those of the hidden panes, every menu item, every column of the results list and each
control the Tab key stops at."""
import os
import re
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_common as c  # noqa: E402
tx = c.tx

# "Imp&ort" in a name: a mnemonic marker that should have been stripped
LEAKED_MNEMONIC = re.compile(r'&(?=[^\s&])')


def focused(win):
    return win.findChild(lambda n: n.getState().contains(c.pyatspi.STATE_FOCUSED),
                         retry=False, requireResult=False)


def tab_stops(win, limit=40):
    """Tabs through the window once round; the focused control at each stop."""
    search = c.search_box(win)
    tx.type_into(search, '', clear=False)   # start from the Search String box
    first = tx.wait_until(lambda: focused(win), 5, what='a focused control')
    stops = [first]
    for _ in range(limit):
        tx.key('Tab')
        n = tx.wait_until(lambda: focused(win), 5, what='a focused control after Tab')
        if n == first:
            return stops
        stops.append(n)
    raise c.Failed('Tab did not come back to the Search String box in %d stops' % limit)


def body(a, win):
    nodes = win.findChildren(lambda n: n.roleName in c.CONTROL_ROLES)
    c.check(len(nodes) > 50, 'only %d controls in the main window' % len(nodes))
    unnamed = [c.where(n) for n in nodes if not c.node_named(n)]
    leaked = [c.where(n) for n in nodes if LEAKED_MNEMONIC.search(n.name or '')]
    table = tx.results_table(win)
    t = table.queryTable()
    columns = [t.getColumnDescription(i) for i in range(t.nColumns)]
    tx.READ.update(controls=len(nodes), unnamed=unnamed, leaked=leaked, columns=columns)
    c.check(columns and all(h.strip() for h in columns), 'results columns without a name: %r' % columns)
    c.check(not unnamed, 'controls without a name: %s' % unnamed)
    c.check(not leaked, 'names with a "&": %s' % leaked)

    stops = tab_stops(win)
    tx.READ['tab_stops'] = [c.where(n) for n in stops]
    c.check(len(stops) >= 8, 'Tab stops at only %d controls: %s' % (len(stops), tx.READ['tab_stops']))
    silent = [c.where(n) for n in stops if not c.node_named(n)]
    c.check(not silent, 'Tab stops without a name: %s' % silent)


c.run(body)
