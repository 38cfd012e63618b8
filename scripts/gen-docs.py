#!/usr/bin/env python3
"""Writes a program's man page and bash completion from its own --help texts.

    gen-docs.py --program EXE [--readme README.md] [--version V] [--date D]
                [--description TEXT] [--man OUT.1.gz] [--completion OUT]
    gen-docs.py --changelog OUT.gz --version V --date D --maintainer "NAME <MAIL>"

EXE is tarnix-cli (a program with commands: `EXE --help` lists them and
`EXE COMMAND --help` describes each) or tarnix (one command line). The man
page takes the descriptions from the README: for tarnix-cli the rows of the
table under "Using tarnix-cli" and the text after it, for tarnix the
sections "The desktop program" and "What differs on Linux"; both get "Where
files live". So a switch or command added to a program's --help appears in
its man page and completion at the next build, without an edit here.

The help texts follow one shape:
    usage: PROGRAM [COMMAND] SYNOPSIS...       more synopsis lines are indented,
           PROGRAM ...                         or start again with PROGRAM
      TERM        description                  a definition: two spaces, a term,
                  continued description        two or more spaces, its text
    Free text, joined into paragraphs.
In a synopsis or a term, a `--option` or `/switch` followed by a word in
capitals (FILE, N, TEXT) or by choices (tsv|json, 0|1) takes a value.
"""
import argparse
import gzip
import io
import os
import re
import subprocess
import sys
import tempfile

OPTION = re.compile(r'(?<![\w/-])(--?[a-zA-Z][\w-]*)')
SWITCH = re.compile(r'(?<![\w/\\.])(/[a-z]{1,12})(?![\w/])')
DEFINITION = re.compile(r'^  (\S(?:\S| (?! ))*)\s{2,}(\S.*)$')
METAVAR = re.compile(r'^[A-Z0-9#]')
CHOICES = re.compile(r'^[a-z0-9]+(\|[a-z0-9]+)+$')


# ----------------------------------------------------------------------------
# Reading the help texts

def run_help(exe, *args):
    """The program's help on stdout; it must exit 0."""
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home, XDG_STATE_HOME=home,
                   XDG_RUNTIME_DIR=home, QT_QPA_PLATFORM='offscreen', LC_ALL='C.UTF-8')
        done = subprocess.run([exe, *args, '--help'], capture_output=True, text=True, env=env,
                              timeout=60)
    if done.returncode != 0 or not done.stdout.startswith('usage: '):
        sys.exit(f'gen-docs: "{" ".join([os.path.basename(exe), *args, "--help"])}" exited '
                 f'{done.returncode} without a usage text on stdout')
    return done.stdout


class Help:
    """One help text: its synopsis lines and its blocks, in order. A block is
    ('text', paragraph) or ('defs', [(term, description), ...])."""

    def __init__(self, text, program):
        self.usage = []
        self.blocks = []
        lines = text.rstrip('\n').split('\n')
        first = lines.pop(0)[len('usage: '):]
        self.usage.append(first.strip())
        while lines and lines[0].startswith('    ') and not DEFINITION.match(lines[0]):
            more = lines.pop(0).strip()
            if more.startswith(program + ' ') or more == program:
                self.usage.append(more)
            else:
                self.usage[-1] += ' ' + more
        for line in lines:
            if not line.strip():
                self.blocks.append(('break', None))
                continue
            d = DEFINITION.match(line)
            last = self.blocks[-1] if self.blocks else None
            if d:
                if last and last[0] == 'defs':
                    last[1].append([d.group(1), d.group(2)])
                else:
                    self.blocks.append(('defs', [[d.group(1), d.group(2)]]))
            elif line[0].isspace() and last and last[0] == 'defs':
                last[1][-1][1] += ' ' + line.strip()
            elif last and last[0] == 'text' and (line[0].isspace() or not last[1].endswith(('.', ':', ')'))):
                # Wrapped prose goes on; a line after a finished sentence starts anew.
                self.blocks[-1] = ('text', last[1] + ' ' + line.strip())
            else:
                self.blocks.append(('text', line.strip()))
        self.blocks = [b for b in self.blocks if b[0] != 'break']

    def words(self):
        """The words of every synopsis line and term, brackets taken off; a
        word that closes its group ("[--header]") is followed by None."""
        out = []
        for text in self.usage + [t for kind, b in self.blocks if kind == 'defs' for t, _ in b]:
            words = []
            for w in text.split():
                words.append(unbracket(w))
                if w.rstrip('.').endswith(']'):
                    words.append(None)
            out.append(words)
        return out

    def options(self):
        """{option: value word or None} of every --option and /switch named
        anywhere in the help; a value is read from the synopsis or a term."""
        parts = list(self.usage)
        for kind, b in self.blocks:
            parts += [t + ' ' + d for t, d in b] if kind == 'defs' else [b]
        everything = ' '.join(parts)
        found = {m: None for m in OPTION.findall(everything) if m.startswith('--') and m != '--help'}
        found.update((m, None) for m in SWITCH.findall(everything))
        switch_value = None
        for words in self.words():
            for w, nxt in zip(words, words[1:]):
                takes = nxt and (METAVAR.match(nxt) or CHOICES.match(nxt))
                if w in found and found[w] is None and takes:
                    found[w] = nxt
                elif w == '/SWITCH' and takes:  # "[/SWITCH VALUE...]": every switch takes one
                    switch_value = nxt
        for name in found:
            if name.startswith('/') and found[name] is None:
                found[name] = switch_value
        return found

    def positionals(self, skip):
        """The synopsis words that are neither options nor their values,
        after the first `skip` words (the program and the command)."""
        out = []
        opts = self.options()
        for line in self.usage:
            words = [unbracket(w) for w in line.split()][skip:]
            i = 0
            while i < len(words):
                w = words[i]
                if w in opts or w.startswith(('-', '/')):
                    i += 2 if opts.get(w) or w == '/SWITCH' else 1
                    continue
                if w not in ('|', ''):
                    out.append(w)
                i += 1
        return out


def unbracket(word):
    """A synopsis word without the brackets of the groups around it:
    "[--sort" -> "--sort", "COLUMN[:desc]]" -> "COLUMN[:desc]"."""
    word = word.lstrip('[')
    while word.endswith(']') and word.count(']') > word.count('['):
        word = word[:-1]
    return word.rstrip('.').rstrip(']') if word.endswith('...') else word


# ----------------------------------------------------------------------------
# The README

def readme_sections(path):
    sections, name = {}, None
    with open(path, encoding='utf-8') as f:
        for line in f.read().split('\n'):
            if line.startswith('## '):
                name = line[3:].strip()
                sections[name] = []
            elif line.startswith('# '):
                name = None
            elif name:
                sections[name].append(line)
    return sections


def markdown_blocks(lines):
    """('p', text), ('li', text), ('row', [cells]) and ('code', [lines])."""
    blocks, i = [], 0
    while i < len(lines):
        line = lines[i]
        if line.startswith('```'):
            code = []
            i += 1
            while i < len(lines) and not lines[i].startswith('```'):
                code.append(lines[i])
                i += 1
            blocks.append(('code', code))
        elif line.startswith('|'):
            cells = [c.strip().replace('\\|', '|') for c in re.split(r'(?<!\\)\|', line.strip())[1:-1]]
            header = i + 1 < len(lines) and re.fullmatch(r'\|( *:?-+:? *\|)+', lines[i + 1].strip())
            if not header and not all(re.fullmatch(r':?-+:?', c) for c in cells):
                blocks.append(('row', cells))
        elif line.startswith('- '):
            text = line[2:].strip()
            while i + 1 < len(lines) and lines[i + 1].startswith('  ') and lines[i + 1].strip():
                i += 1
                text += ' ' + lines[i].strip()
            blocks.append(('li', text))
        elif line.strip():
            text = line.strip()
            while (i + 1 < len(lines) and lines[i + 1].strip() and
                   not lines[i + 1].startswith(('|', '- ', '```'))):
                i += 1
                text += ' ' + lines[i].strip()
            blocks.append(('p', text))
        i += 1
    return blocks


# ----------------------------------------------------------------------------
# roff

SPECIAL = {'\u2014': r'\(em', '\u2013': r'\(en', '\u00d7': r'\(mu', '\u2026': '...',
           '\u2019': "'", '\u2018': "'", '\u201c': '"', '\u201d': '"', '\u00a0': r'\ '}


def esc(text):
    text = text.replace('\\', r'\e')
    for k, v in SPECIAL.items():
        text = text.replace(k, v)
    return text


def bold_options(text):
    """Escaped text with its --options and /switches in bold."""
    text = OPTION.sub(lambda m: r'\fB' + m.group(1).replace('-', r'\-') + r'\fR', text)
    return SWITCH.sub(lambda m: r'\fB' + m.group(1) + r'\fR', text)


def synopsis(text):
    """A synopsis or term: options bold, value words in italics."""
    out = []
    for word in re.split(r'(\s+)', text):
        if not word.strip():
            out.append(word)
            continue
        w = esc(word)
        w = re.sub(r'(?<![\w-])(--?[a-zA-Z][\w-]*)',
                   lambda m: r'\fB' + m.group(1).replace('-', r'\-') + r'\fR', w)
        w = re.sub(r'(?<![\w/\\])(/[a-z]+)(?![\w/])', r'\\fB\1\\fR', w)
        w = re.sub(r'(?<![\w\\])([A-Z][A-Z0-9_]*)(?![\w])', r'\\fI\1\\fR', w)
        out.append(w)
    return ''.join(out)


def inline_markdown(text):
    """README text: `code` in bold, the rest escaped."""
    parts = re.split(r'(`[^`]*`)', text)
    out = []
    for p in parts:
        if p.startswith('`') and p.endswith('`') and len(p) > 1:
            out.append(r'\fB' + esc(p[1:-1]).replace('-', r'\-') + r'\fR')
        else:
            out.append(esc(p))
    return ''.join(out)


class Roff:
    def __init__(self):
        self.out = io.StringIO()

    def line(self, text):
        if text.startswith(('.', "'")):
            text = r'\&' + text
        self.out.write(text + '\n')

    def req(self, text):
        self.out.write(text + '\n')

    def para(self, text):
        self.req('.PP')
        self.line(text)

    def markdown(self, lines):
        for kind, b in markdown_blocks(lines):
            if kind == 'p':
                self.para(inline_markdown(b))
            elif kind == 'li':
                self.req(r'.IP \(bu 2')
                self.line(inline_markdown(b))
            elif kind == 'code':
                self.req('.PP')
                self.req('.RS 4')
                self.req('.nf')
                for c in b:
                    self.line(esc(c))
                self.req('.fi')
                self.req('.RE')
            elif kind == 'row':
                self.req('.TP')
                self.line(inline_markdown(b[0]))
                self.line(inline_markdown(' '.join(b[1:])))

    def help_blocks(self, help_):
        for kind, b in help_.blocks:
            if kind == 'text':
                self.para(bold_options(esc(b)))
            else:
                for term, text in b:
                    self.req('.TP')
                    self.line(synopsis(term))
                    self.line(bold_options(esc(text)))

    def usage(self, lines):
        for u in lines:
            program, _, rest = u.partition(' ')
            self.req('.SY ' + esc(program).replace('-', r'\-'))
            if rest:
                self.line(synopsis(rest))
            self.req('.YS')


def man_header(r, program, args):
    r.req(r'.\" Made by scripts/gen-docs.py from the --help texts and the README; edit those.')
    r.req(f'.TH {program.upper()} 1 "{args.date}" "Tarnix {args.version}" "User Commands"')
    r.req('.SH NAME')
    what = args.description[:1].lower() + args.description[1:]
    r.line(f'{program} \\- {esc(what)}' + (' (command line)' if program == 'tarnix-cli' else ''))


def man_cli(exe, sections, args):
    program = 'tarnix-cli'
    top = Help(run_help(exe), program)
    commands = [(t, d) for kind, b in top.blocks if kind == 'defs' for t, d in b]
    rows = [b for kind, b in markdown_blocks(sections.get('Using tarnix-cli', [])) if kind == 'row']
    r = Roff()
    man_header(r, program, args)
    r.req('.SH SYNOPSIS')
    r.usage(top.usage)
    r.req('.SH DESCRIPTION')
    r.markdown(readme_intro(args.readme))
    r.req('.SH COMMANDS')
    for name, summary in commands:
        h = Help(run_help(exe, name), program)
        r.req(f'.SS {name}')
        r.usage(h.usage)
        mine = [row for row in rows if re.match(r'`tarnix-cli %s\b' % re.escape(name), row[0])]
        if not mine:
            r.para(esc(sentence(summary)) + '.')
        for row in mine:
            if len(mine) > 1:
                r.para(inline_markdown(row[0]) + ':')
                r.line(inline_markdown(row[1]))
            else:
                r.para(inline_markdown(sentence(row[1])))
        r.help_blocks(h)
    after = sections.get('Using tarnix-cli', [])
    last_row = max((i for i, line in enumerate(after) if line.startswith('|')), default=-1)
    if last_row >= 0:
        r.req('.SH NOTES')
        r.markdown(after[last_row + 1:])
    files_section(r, sections)
    r.req('.SH "SEE ALSO"')
    r.req(r'.BR tarnix (1)')
    return r.out.getvalue()


def man_gui(exe, sections, args):
    program = 'tarnix'
    h = Help(run_help(exe), program)
    r = Roff()
    man_header(r, program, args)
    r.req('.SH SYNOPSIS')
    r.usage(h.usage)
    r.req('.SH DESCRIPTION')
    r.markdown(sections.get('The desktop program', []))
    r.req('.SH OPTIONS')
    r.help_blocks(h)
    if 'What differs on Linux' in sections:
        r.req('.SH "WINDOWS COMMANDS ON LINUX"')
        r.markdown(sections['What differs on Linux'])
    files_section(r, sections)
    r.req('.SH "SEE ALSO"')
    r.req(r'.BR tarnix-cli (1)')
    return r.out.getvalue()


def sentence(text):
    return text[:1].upper() + text[1:]


def readme_intro(path):
    """The README's text before its first section."""
    lines = []
    with open(path, encoding='utf-8') as f:
        for line in f.read().split('\n'):
            if line.startswith('## '):
                break
            if not line.startswith('# '):
                lines.append(line)
    return lines


def files_section(r, sections):
    if 'Where files live' in sections:
        r.req('.SH FILES')
        r.markdown(sections['Where files live'])


# ----------------------------------------------------------------------------
# bash completion

def value_completion(value):
    """The bash words that complete one value word, or '' for free text."""
    if value is None:
        return ''
    if CHOICES.match(value):
        return 'COMPREPLY=($(compgen -W "%s" -- "$cur"))' % value.replace('|', ' ')
    upper = value.upper()
    if re.search(r'FOLDER|DIR', upper) and not re.search(r'FILE|PATH|IMAGE', upper):
        return '_tarnix_complete_files -d'
    if re.search(r'FILE|PATH|IMAGE|FOLDER', upper):
        return '_tarnix_complete_files'
    return ''


def completion_case(h, skip, indent):
    """The body that completes the words of one command line shape."""
    opts = h.options()
    pos = h.positionals(skip)
    kinds = [value_completion(p) for p in pos if METAVAR.match(p)]
    files = any(kinds)
    dirs_only = files and all(k in ('_tarnix_complete_files -d', '') for k in kinds)
    literals = [p for p in pos if re.fullmatch(r'[a-z][a-z-]*', p)]
    dashed = sorted(o for o in opts if o.startswith('-')) + ['--help']
    switches = sorted(o for o in opts if o.startswith('/'))
    s = ' ' * indent
    out = []
    by_action = {}
    for o, v in sorted(opts.items()):
        if v is not None:
            by_action.setdefault(value_completion(v), []).append(o)
    if by_action:
        out.append(f'{s}case "$prev" in')
        for action, names in sorted(by_action.items()):
            out.append(f'{s}  {"|".join(names)}) {action + "; " if action else ""}return 0 ;;')
        out.append(f'{s}esac')
    out.append(f'{s}case "$cur" in')
    out.append(f'{s}  -*) COMPREPLY=($(compgen -W "{" ".join(dashed)}" -- "$cur")); return 0 ;;')
    out.append(f'{s}esac')
    if switches:
        out.append(f'{s}[[ $cur == /* ]] && COMPREPLY=($(compgen -W "{" ".join(switches)}" -- "$cur"))')
    if literals:
        out.append(f'{s}COMPREPLY+=($(compgen -W "{" ".join(literals)}" -- "$cur"))')
    if files:
        out.append(f'{s}_tarnix_complete_files{" -d" if dirs_only else ""} add')
    return out


COMPLETION_HEAD = '''# bash completion for {program} {version}
# Made by scripts/gen-docs.py from the program's --help texts; edit those.

# Files (or, with -d, folders) that start with the word; "add" keeps what
# COMPREPLY holds already.
_tarnix_complete_files() {{
  local kind=-f add=
  [[ $1 == -d ]] && {{ kind=-d; shift; }}
  [[ $1 == add ]] && add=1
  local IFS=$'\\n'
  local found=($(compgen $kind -- "$cur"))
  if [[ $add ]]; then COMPREPLY+=("${{found[@]}}"); else COMPREPLY=("${{found[@]}}"); fi
  compopt -o filenames 2>/dev/null
  return 0
}}
'''


def completion_cli(exe, args):
    program = 'tarnix-cli'
    top = Help(run_help(exe), program)
    commands = [t for kind, b in top.blocks if kind == 'defs' for t, _ in b]
    out = [COMPLETION_HEAD.format(program=program, version=args.version)]
    out.append('_tarnix_cli() {')
    out.append('  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}')
    out.append('  COMPREPLY=()')
    out.append('  if (( COMP_CWORD == 1 )); then')
    out.append(f'    COMPREPLY=($(compgen -W "{" ".join(commands)} --help --version" -- "$cur"))')
    out.append('    return 0')
    out.append('  fi')
    out.append('  case "${COMP_WORDS[1]}" in')
    for name in commands:
        h = Help(run_help(exe, name), program)
        out.append(f'    {name})')
        out.extend(completion_case(h, 2, 6))
        out.append('      ;;')
    out.append('  esac')
    out.append('  return 0')
    out.append('}')
    out.append('complete -F _tarnix_cli tarnix-cli')
    return '\n'.join(out) + '\n'


def completion_gui(exe, args):
    h = Help(run_help(exe), 'tarnix')
    out = [COMPLETION_HEAD.format(program='tarnix', version=args.version)]
    out.append('_tarnix() {')
    out.append('  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}')
    out.append('  COMPREPLY=()')
    out.extend(completion_case(h, 1, 2))
    out.append('  return 0')
    out.append('}')
    out.append('complete -F _tarnix tarnix')
    return '\n'.join(out) + '\n'


# ----------------------------------------------------------------------------

def write(path, data, compress):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    tmp = path + '.tmp'
    raw = data.encode('utf-8')
    with open(tmp, 'wb') as f:
        if compress:
            # No name and no time stamp: the same text gives the same bytes.
            with gzip.GzipFile(filename='', mode='wb', fileobj=f, compresslevel=9, mtime=0) as z:
                z.write(raw)
        else:
            f.write(raw)
    os.replace(tmp, path)


def changelog(args):
    """The package's changelog: one entry for this version."""
    import datetime
    day = datetime.datetime.strptime(args.date, '%Y-%m-%d').replace(tzinfo=datetime.timezone.utc)
    return (f'tarnix ({args.version}) unstable; urgency=medium\n\n'
            f'  * Tarnix {args.version}.\n\n'
            f' -- {args.maintainer}  {day.strftime("%a, %d %b %Y %H:%M:%S +0000")}\n')


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--program')
    ap.add_argument('--changelog', help='write the Debian changelog of the version (gzipped)')
    ap.add_argument('--maintainer', default='')
    ap.add_argument('--readme')
    ap.add_argument('--version', default='')
    ap.add_argument('--date', default='')
    ap.add_argument('--description', default='')
    ap.add_argument('--man')
    ap.add_argument('--completion')
    args = ap.parse_args()
    if args.changelog:
        write(args.changelog, changelog(args), True)
    if not args.program:
        return
    top = run_help(args.program)
    cli = 'COMMAND' in top.split('\n')[0]
    if args.man:
        if not args.readme:
            sys.exit('gen-docs: --man needs --readme')
        sections = readme_sections(args.readme)
        page = (man_cli if cli else man_gui)(args.program, sections, args)
        write(args.man, page, args.man.endswith('.gz'))
    if args.completion:
        write(args.completion, (completion_cli if cli else completion_gui)(args.program, args), False)


if __name__ == '__main__':
    main()
