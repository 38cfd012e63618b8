#!/usr/bin/python3
"""Search from the window as a user does, and compare what the results list shows with
tarnix-cli's results for the same criteria."""
import os
import re
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_common as c  # noqa: E402
tx = c.tx

# Columns that must be there and agree; every other column both show is compared too.
KEY_COLUMNS = ('Function Name', 'Module From/To', 'Image Name')


def counts(box_text):
    m = re.search(r'(\d+) file\(s\) searched, (\d+) result\(s\) found', box_text)
    c.check(m, 'the finish box does not give the counts: %r' % box_text)
    return int(m.group(1)), int(m.group(2))


def compare(win, folder, pattern, box_text):
    heads, rows, err = c.cli_search(folder, pattern, details=True)
    files = int(re.search(r'File\(s\) Searched=(\d+)', err).group(1))
    found = int(re.search(r'Result\(s\) Found=(\d+)', err).group(1))
    c.check(counts(box_text) == (files, found),
            'finish box says %s file(s)/%s result(s), tarnix-cli %d/%d' % (*counts(box_text), files, found))
    c.check(len(rows) == found, 'tarnix-cli printed %d rows for %d results' % (len(rows), found))

    # the details (versions, descriptions) fill in after the finish box: read until stable
    gui_heads, cells, n = tx.stable_cells(tx.results_table(win))
    tx.READ.setdefault('tables', {})[pattern] = {'heads': gui_heads, 'rows': cells}
    for col in KEY_COLUMNS:
        c.check(col in gui_heads, 'the results list has no %r column: %r' % (col, gui_heads))
    common = [h for h in heads if h in gui_heads]
    pick = lambda hs, r: tuple(r[hs.index(h)] if hs.index(h) < len(r) else '' for h in common)
    want = [pick(heads, r) for r in rows]
    got = [pick(gui_heads, r) for r in cells]
    c.check(n == len(want), '%r: the list has %d rows, tarnix-cli %d' % (pattern, n, len(want)))
    if got != want:
        diff = [(i, g, w) for i, (g, w) in enumerate(zip(got, want)) if g != w][:3]
        raise c.Failed('%r: rows differ from tarnix-cli in %s; first: %s' % (pattern, common, diff))
    return found


def body(a, win):
    folder = c.sample_folder()
    shown = tx.text_of(win.findChild(lambda n: n.roleName == 'combo box' and any(
        r.getRelationType() == c.pyatspi.RELATION_LABELLED_BY and tx.plain(r.getTarget(0).name) == 'Folder:'
        for r in n.getRelationSet()), retry=False))
    c.check(shown.rstrip('/') == folder.rstrip('/'),
            'the Folder box shows %r, the command line gave %r' % (shown, folder))

    box = c.run_search(a, win, 'CreateFile*')
    c.check(box.startswith('Search has finished.'), 'finish box: %r' % box)
    found = compare(win, folder, 'CreateFile*', box)
    c.check(found >= 2, 'the samples gave only %d result(s) for CreateFile*' % found)
    stop = win.findChild(lambda n: n.roleName == 'push button' and tx.plain(n.name) == 'Stop', retry=False)
    search = tx.button(win, '&SEARCH')
    c.check(c.enabled(search) and not c.enabled(stop), 'after the search SEARCH/Stop enabled: %s/%s'
            % (c.enabled(search), c.enabled(stop)))

    # a narrower second search replaces the list instead of adding to it
    box = c.run_search(a, win, 'CreateFileA')
    narrower = compare(win, folder, 'CreateFileA', box)
    c.check(0 < narrower < found, 'CreateFileA gave %d result(s), CreateFile* %d' % (narrower, found))


c.run(body)
