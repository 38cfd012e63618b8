#!/usr/bin/env python3
"""Checks of what a Linux user installs, run by ctest:

    check_packaging.py CHECK --build DIR --source DIR --version V

CHECK is one of
  help        every command answers --help on stdout with exit 0; --version
              shows the project's version; tarnix --help needs no display
  man         every command, option and switch of the --help texts is in the
              man pages, and man reads them without a warning
  completion  bash completes the commands, every option, the choices of an
              option, switches, files and folders
  desktop     desktop-file-validate passes the desktop entry
  appstream   the AppStream file names pictures that exist, and
              appstreamcli validate --no-net passes it
  package     the .deb CPack makes holds every file and lintian finds no
              error or warning in it
Exit 0 passed, 1 failed, 77 skipped (a tool is not installed).
"""
import argparse
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
failures = []


def fail(message):
    failures.append(message)
    print('FAIL: ' + message)


def skip(message):
    print('SKIPPED: ' + message)
    sys.exit(SKIP)


def run(cmd, env=None, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, env=env, timeout=300, **kw)


def quiet_env(home):
    """No display, no Qt platform, a home of its own."""
    env = {k: v for k, v in os.environ.items()
           if k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM')}
    env.update(HOME=home, XDG_CONFIG_HOME=home + '/config', XDG_STATE_HOME=home + '/state')
    return env


class Programs:
    def __init__(self, build):
        self.cli = os.path.join(build, 'src', 'tarnix-cli')
        self.gui = os.path.join(build, 'src', 'gui', 'tarnix')
        self.home = tempfile.mkdtemp()
        self.env = quiet_env(self.home)

    def help(self, exe, *args):
        return run([exe, *args, '--help'], env=self.env)

    def commands(self):
        out = self.help(self.cli).stdout
        return re.findall(r'^  ([a-z][a-z-]*)  ', out, re.M)

    def texts(self):
        """{name: help text} of tarnix, tarnix-cli and each command."""
        texts = {'tarnix': self.help(self.gui).stdout, 'tarnix-cli': self.help(self.cli).stdout}
        for c in self.commands():
            texts['tarnix-cli ' + c] = self.help(self.cli, c).stdout
        return texts


def options_of(text):
    opts = set(re.findall(r'(?<![\w/-])(--[a-z][a-z0-9-]*)', text))
    switches = set(re.findall(r'(?<![\w/\\.])(/[a-z]{1,12})(?![\w/])', text))
    return (opts | switches) - {'--help'}


def check_help(p, args):
    commands = p.commands()
    if len(commands) < 5:
        fail(f'tarnix-cli --help lists {len(commands)} commands: {commands}')
    for c in commands:
        r = p.help(p.cli, c)
        if r.returncode != 0 or not r.stdout.startswith(f'usage: tarnix-cli {c}') or r.stderr:
            fail(f'tarnix-cli {c} --help: exit {r.returncode}, stdout {r.stdout[:60]!r}, '
                 f'stderr {r.stderr[:60]!r}')
    for exe, name in ((p.cli, 'tarnix-cli'), (p.gui, 'tarnix')):
        r = run([exe, '--version'], env=p.env)
        if r.returncode != 0 or r.stdout != f'{name} {args.version}\n':
            fail(f'{name} --version: exit {r.returncode}, {r.stdout!r} (the project is {args.version})')
    r = p.help(p.gui)
    if r.returncode != 0 or not r.stdout.startswith('usage: tarnix ') or '/isf' not in r.stdout:
        fail(f'tarnix --help without a display: exit {r.returncode}, {r.stdout[:60]!r} {r.stderr[:200]!r}')
    if os.listdir(p.home):
        fail(f'--help and --version wrote into the home folder: {os.listdir(p.home)}')


def page_text(path):
    """The man page's words: roff requests, escapes and fonts taken off."""
    with gzip.open(path, 'rt', encoding='utf-8') as f:
        roff = f.read()
    text = re.sub(r'\\f[BIRP]', '', roff).replace(r'\-', '-').replace(r'\&', '').replace(r'\e', '\\')
    return roff, text


def check_man(p, args):
    docs = os.path.join(args.build, 'docs')
    texts = p.texts()
    pages = {name: page_text(os.path.join(docs, name + '.1.gz')) for name in ('tarnix', 'tarnix-cli')}
    for key, text in texts.items():
        page = pages[key.split()[0]][1]
        for o in sorted(options_of(text)):
            if not re.search(r'(?<![\w-])' + re.escape(o) + r'(?![\w-])', page):
                fail(f'{o} of "{key} --help" is not in its man page')
    roff = pages['tarnix-cli'][0]
    with open(os.path.join(args.source, 'README.md'), encoding='utf-8') as f:
        readme = f.read()
    for c in p.commands():
        if f'\n.SS {c}\n' not in roff:
            fail(f'the man page of tarnix-cli has no section for the command {c}')
        if not re.search(r'^\| `tarnix-cli %s\b' % re.escape(c), readme, re.M):
            fail(f'the README\'s table of tarnix-cli commands has no row for {c}')
    if shutil.which('man'):
        for name in pages:
            r = run(['man', '--warnings', '-E', 'UTF-8', '-l', os.path.join(docs, name + '.1.gz')],
                    env=dict(p.env, MANWIDTH='80', LC_ALL='C.UTF-8'))
            if r.returncode != 0 or r.stderr.strip() or 'SYNOPSIS' not in r.stdout:
                fail(f'man -l {name}.1.gz: exit {r.returncode}: {r.stderr.strip()[:300]}')


def complete(script, function, words, cwd):
    """What bash offers for the last of `words` (the program first)."""
    line = ' '.join(w if w else "''" for w in words)
    shell = (f'source {script!r} || exit 9; COMP_WORDS=({line}); COMP_CWORD={len(words) - 1}; '
             f'{function}; printf "%s\\n" "${{COMPREPLY[@]}}"')
    r = run(['bash', '--norc', '-c', shell], cwd=cwd)
    if r.returncode != 0:
        fail(f'completing {words}: {r.stderr.strip()[:300]}')
    return set(x for x in r.stdout.split('\n') if x)


def check_completion(p, args):
    docs = os.path.abspath(os.path.join(args.build, 'docs'))
    cli = os.path.join(docs, 'tarnix-cli.bash')
    gui = os.path.join(docs, 'tarnix.bash')
    work = tempfile.mkdtemp()
    os.mkdir(os.path.join(work, 'System32'))
    open(os.path.join(work, 'sample.dll'), 'w').close()

    def expect(script, fn, words, wanted, exact=False):
        got = complete(script, fn, words, work)
        if (exact and got != set(wanted)) or not set(wanted) <= got:
            fail(f'completing {words[1:]}: got {sorted(got)}, want {"exactly " if exact else ""}'
                 f'{sorted(wanted)}')

    commands = p.commands()
    expect(cli, '_tarnix_cli', ['tarnix-cli', ''], commands + ['--help', '--version'], exact=True)
    expect(cli, '_tarnix_cli', ['tarnix-cli', 'er'], [c for c in commands if c.startswith('er')], exact=True)
    for c in commands:
        opts = sorted(o for o in options_of(p.help(p.cli, c).stdout) if o.startswith('--'))
        expect(cli, '_tarnix_cli', ['tarnix-cli', c, '--'], opts + ['--help'])
    expect(cli, '_tarnix_cli', ['tarnix-cli', 'search', '--format', ''], ['tsv', 'json'], exact=True)
    expect(cli, '_tarnix_cli', ['tarnix-cli', 'search', '/is'], ['/isf'], exact=True)
    expect(cli, '_tarnix_cli', ['tarnix-cli', 'search', '/isf', ''], [], exact=True)
    expect(cli, '_tarnix_cli', ['tarnix-cli', 'search', 'Sys'], ['System32'], exact=True)
    expect(cli, '_tarnix_cli', ['tarnix-cli', 'symbols', 'sam'], ['sample.dll'], exact=True)
    expect(cli, '_tarnix_cli', ['tarnix-cli', 'search', '--output', 'sa'], ['sample.dll'], exact=True)
    expect(cli, '_tarnix_cli', ['tarnix-cli', 'errcode', '--in', 'Sy'], ['System32'], exact=True)
    expect(cli, '_tarnix_cli', ['tarnix-cli', 'search', '--name', ''], [], exact=True)
    expect(gui, '_tarnix', ['tarnix', '/sn'], ['/snrx', '/sncs', '/snww'], exact=True)
    expect(gui, '_tarnix', ['tarnix', '/isf', ''], ['0', '1'], exact=True)
    expect(gui, '_tarnix', ['tarnix', '--v'], ['--version'], exact=True)
    expect(gui, '_tarnix', ['tarnix', 'Sy'], ['System32'], exact=True)


def check_desktop(p, args):
    if not shutil.which('desktop-file-validate'):
        skip('desktop-file-validate is not installed (Debian package desktop-file-utils)')
    r = run(['desktop-file-validate', os.path.join(args.source, 'res', 'tarnix.desktop')])
    if r.returncode != 0 or r.stdout.strip():
        fail('desktop-file-validate: ' + (r.stdout + r.stderr).strip())


def check_appstream(p, args):
    metainfo = os.path.join(args.build, 'res', 'io.github.tarnix.Tarnix.metainfo.xml')
    with open(metainfo, encoding='utf-8') as f:
        xml = f.read()
    pictures = re.findall(r'<image>[^<]*/([^/<]+\.png)</image>', xml)
    if not pictures:
        fail('the AppStream file names no pictures')
    for name in pictures:
        path = os.path.join(args.source, 'res', 'screenshots', name)
        if not os.path.exists(path):
            fail(f'res/screenshots/{name} is missing (scripts/screenshots.sh --appstream writes it)')
        else:
            with open(path, 'rb') as f:
                if f.read(8) != b'\x89PNG\r\n\x1a\n':
                    fail(f'res/screenshots/{name} is not a PNG picture')
    if f'<release version="{args.version}"' not in xml:
        fail(f'the AppStream file has no release {args.version}')
    if failures:
        return
    if not shutil.which('appstreamcli'):
        skip('appstreamcli is not installed (Debian package appstream)')
    r = run(['appstreamcli', 'validate', '--no-net', metainfo])
    if r.returncode != 0:
        fail('appstreamcli validate --no-net: ' + r.stdout.strip())


def check_package(p, args):
    for tool in ('cpack', 'dpkg-deb', 'dpkg-shlibdeps', 'lintian'):
        if not shutil.which(tool) and not (tool == 'cpack' and args.cpack):
            skip(f'{tool} is not installed (scripts/setup.sh package)')
    out = tempfile.mkdtemp()
    r = run([args.cpack or 'cpack', '-G', 'DEB', '-B', out], cwd=args.build)
    debs = [f for f in os.listdir(out) if f.endswith('.deb')]
    if r.returncode != 0 or len(debs) != 1:
        fail(f'cpack: exit {r.returncode}: {(r.stdout + r.stderr)[-500:]}')
        return
    deb = os.path.join(out, debs[0])
    if debs[0] != f'tarnix_{args.version}_{run(["dpkg", "--print-architecture"]).stdout.strip()}.deb':
        fail(f'the package is named {debs[0]}')
    listing = run(['dpkg-deb', '-c', deb]).stdout
    files = set(re.findall(r' \./(usr/\S*[^/\s])$', listing, re.M))
    for want in ('usr/bin/tarnix', 'usr/bin/tarnix-cli', 'usr/share/man/man1/tarnix.1.gz',
                 'usr/share/man/man1/tarnix-cli.1.gz', 'usr/share/applications/tarnix.desktop',
                 'usr/share/metainfo/io.github.tarnix.Tarnix.metainfo.xml',
                 'usr/share/bash-completion/completions/tarnix-cli',
                 'usr/share/bash-completion/completions/tarnix',
                 'usr/share/icons/hicolor/scalable/apps/tarnix.svg',
                 'usr/share/icons/hicolor/48x48/apps/tarnix.png',
                 'usr/share/doc/tarnix/copyright', 'usr/share/doc/tarnix/changelog.gz'):
        if want not in files:
            fail(f'the package lacks /{want}')
    control = run(['dpkg-deb', '-f', deb, 'Depends']).stdout
    if 'libqt6widgets6' not in control or 'libsqlite3' not in control:
        fail(f'the package\'s dependencies were not computed: Depends: {control.strip()}')
    r = run(['lintian', '--tag-display-limit', '0', deb])
    tags = [line for line in r.stdout.split('\n') if re.match(r'[EW]: ', line)]
    if tags:
        fail('lintian: ' + '; '.join(tags))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('check', choices=['help', 'man', 'completion', 'desktop', 'appstream', 'package'])
    ap.add_argument('--build', required=True)
    ap.add_argument('--source', required=True)
    ap.add_argument('--version', required=True)
    ap.add_argument('--cpack')
    args = ap.parse_args()
    p = Programs(args.build)
    globals()['check_' + args.check](p, args)
    shutil.rmtree(p.home, ignore_errors=True)
    print(f'{args.check}: {"FAILED" if failures else "passed"}')
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()
