#!/usr/bin/env python3
"""The host's resource compiler.

Runs the C preprocessor over a .rc script, as the Windows resource compiler
does, and turns its dialog templates, string table and icons into a C++
source of constant tables (platform/host/user/resource_tables.h), which the
host layer finds in the module through its function HostwinResourceTable.

    hostrc.py --cpp "c++ -E -x c" --defines HEADER... [-I DIR]... \
              [--depfile FILE] INPUT.rc OUTPUT.cpp

The style names of <windows.h> and <commctrl.h> come from the host layer's
own headers given with --defines: every object-like #define there is made
available to the script.
"""

import argparse
import os
import re
import shlex
import subprocess
import sys
import tempfile


class RcError(Exception):
    pass


# ---- the preprocessor -----------------------------------------------------------

DEFINE = re.compile(r'^\s*#\s*define\s+([A-Za-z_]\w*)\s+(.+?)\s*(//.*)?$')


def write_system_headers(directory, define_headers):
    """windows.h and friends: the object-like #defines of our headers."""
    lines = ['/* Made by hostrc.py from the host layer\'s headers. */']
    for header in define_headers:
        with open(header, encoding='latin-1') as f:
            for line in f:
                if line.rstrip().endswith('\\'):
                    continue
                m = DEFINE.match(line)
                if m:
                    lines.append('#define %s %s' % (m.group(1), m.group(2)))
    body = '\n'.join(lines) + '\n'
    with open(os.path.join(directory, 'hostrc_defines.h'), 'w', encoding='latin-1') as f:
        f.write(body)
    for name in ('windows.h', 'winresrc.h', 'winres.h', 'commctrl.h', 'winuser.h', 'afxres.h'):
        with open(os.path.join(directory, name), 'w') as f:
            f.write('#include "hostrc_defines.h"\n')


def preprocess(cpp, source, includes, depfile, target):
    with tempfile.TemporaryDirectory() as system:
        write_system_headers(system, ARGS.defines)
        command = shlex.split(cpp) + ['-DRC_INVOKED', '-I', system]
        for directory in includes:
            command += ['-I', directory]
        if depfile:
            command += ['-MD', '-MF', depfile, '-MT', target]
        command.append(source)
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if result.returncode != 0:
            raise RcError(result.stderr.decode('latin-1').strip() or 'the preprocessor failed')
        if depfile:
            # The temporary system headers are no dependency of anyone.
            with open(depfile, encoding='latin-1') as f:
                deps = f.read()
            deps = ' '.join(part for part in deps.replace('\\\n', ' ').split() if not part.startswith(system))
            with open(depfile, 'w', encoding='latin-1') as f:
                f.write(deps + '\n')
        return result.stdout.decode('latin-1')


# ---- tokens ---------------------------------------------------------------------

TOKEN = re.compile(r'''
    (?P<space>[ \t\r\f\v]+|\n)
  | (?P<string>L?"(?:[^"\n]|"")*")
  | (?P<number>0[xX][0-9A-Fa-f]+[lLuU]*|[0-9]+[lLuU]*)
  | (?P<name>[A-Za-z_][A-Za-z0-9_.]*)
  | (?P<punct>[,|&~()+\-*/{}!])
''', re.VERBOSE)


class Token:
    def __init__(self, kind, value, line):
        self.kind, self.value, self.line = kind, value, line

    def __repr__(self):
        return '%s %r' % (self.kind, self.value)


def unescape(text):
    """A quoted .rc string: "" is a quote, and the C escapes."""
    body = text[2:-1] if text.startswith('L') else text[1:-1]
    out = bytearray()
    i = 0
    escapes = {'n': 10, 't': 9, 'r': 13, 'a': 7, 'b': 8, 'f': 12, 'v': 11, '\\': 92, '"': 34, "'": 39, '0': 0}
    while i < len(body):
        c = body[i]
        if c == '"' and i + 1 < len(body) and body[i + 1] == '"':
            out.append(34)
            i += 2
        elif c == '\\' and i + 1 < len(body):
            e = body[i + 1]
            if e in 'xX':
                m = re.match(r'[0-9A-Fa-f]{1,2}', body[i + 2:])
                out.append(int(m.group(0), 16) if m else ord('x'))
                i += 2 + (len(m.group(0)) if m else 0)
            elif e in '01234567':
                m = re.match(r'[0-7]{1,3}', body[i + 1:])
                out.append(int(m.group(0), 8) & 0xFF)
                i += 1 + len(m.group(0))
            else:
                out.append(escapes.get(e, ord(e)))
                i += 2
        else:
            out += c.encode('latin-1')
            i += 1
    return bytes(out)


def tokenize(text):
    tokens = []
    line = 1
    for raw in text.splitlines(keepends=True):
        if raw.lstrip().startswith('#'):
            m = re.match(r'\s*#\s*(?:line\s+)?(\d+)', raw)
            line = int(m.group(1)) if m else line + 1
            continue
        pos = 0
        while pos < len(raw):
            m = TOKEN.match(raw, pos)
            if not m:
                raise RcError('line %d: unexpected %r' % (line, raw[pos]))
            pos = m.end()
            kind = m.lastgroup
            if kind == 'space':
                continue
            tokens.append(Token(kind, m.group(kind), line))
        line += 1
    tokens.append(Token('end', '', line))
    return tokens


# ---- the parser -----------------------------------------------------------------

CONTROL_CLASSES = {'BUTTON': 'Button', 'EDIT': 'Edit', 'STATIC': 'Static', 'LISTBOX': 'ListBox',
                   'SCROLLBAR': 'ScrollBar', 'COMBOBOX': 'ComboBox'}

WS_CHILD, WS_VISIBLE, WS_TABSTOP, WS_GROUP, WS_BORDER = 0x40000000, 0x10000000, 0x00010000, 0x00020000, 0x00800000
WS_CAPTION, WS_POPUP, WS_SYSMENU, WS_VSCROLL = 0x00C00000, 0x80000000, 0x00080000, 0x00200000
DS_SETFONT = 0x40

# Statement: (class, default style, takes a text).
CONTROL_STATEMENTS = {
    'LTEXT': ('Static', 0x0 | WS_GROUP, True),
    'RTEXT': ('Static', 0x2 | WS_GROUP, True),
    'CTEXT': ('Static', 0x1 | WS_GROUP, True),
    'GROUPBOX': ('Button', 0x7, True),
    'PUSHBUTTON': ('Button', 0x0 | WS_TABSTOP, True),
    'DEFPUSHBUTTON': ('Button', 0x1 | WS_TABSTOP, True),
    'CHECKBOX': ('Button', 0x2 | WS_TABSTOP, True),
    'AUTOCHECKBOX': ('Button', 0x3 | WS_TABSTOP, True),
    'RADIOBUTTON': ('Button', 0x4, True),
    'AUTORADIOBUTTON': ('Button', 0x9, True),
    'STATE3': ('Button', 0x5 | WS_TABSTOP, True),
    'AUTO3STATE': ('Button', 0x6 | WS_TABSTOP, True),
    'EDITTEXT': ('Edit', 0x0 | WS_BORDER | WS_TABSTOP, False),
    'COMBOBOX': ('ComboBox', 0x1 | WS_TABSTOP, False),
    'LISTBOX': ('ListBox', 0x1 | WS_BORDER, False),
}


class Parser:
    def __init__(self, tokens):
        self.tokens = tokens
        self.at = 0

    def peek(self, ahead=0):
        return self.tokens[min(self.at + ahead, len(self.tokens) - 1)]

    def take(self):
        token = self.peek()
        self.at += 1
        return token

    def fail(self, message):
        raise RcError('line %d: %s' % (self.peek().line, message))

    def is_word(self, *words):
        t = self.peek()
        return t.kind == 'name' and t.value.upper() in words

    def accept(self, value):
        if self.peek().kind == 'punct' and self.peek().value == value:
            self.take()
            return True
        return False

    def expect(self, value):
        if not self.accept(value):
            self.fail('expected %r, found %r' % (value, self.peek().value))

    def comma(self):
        self.accept(',')

    def begin(self):
        if self.is_word('BEGIN') or (self.peek().kind == 'punct' and self.peek().value == '{'):
            self.take()
        else:
            self.fail('expected BEGIN')

    def at_end(self):
        return self.is_word('END') or (self.peek().kind == 'punct' and self.peek().value == '}')

    # Expressions: numbers with | & + - * / ~ and parentheses.
    def primary(self):
        t = self.take()
        if t.kind == 'number':
            return int(t.value.rstrip('lLuU'), 0) & 0xFFFFFFFF
        if t.kind == 'punct' and t.value == '(':
            v = self.expression()
            self.expect(')')
            return v
        if t.kind == 'punct' and t.value == '~':
            return ~self.primary() & 0xFFFFFFFF
        if t.kind == 'punct' and t.value == '-':
            return -self.primary() & 0xFFFFFFFF
        if t.kind == 'punct' and t.value == '+':
            return self.primary()
        if t.kind == 'name' and t.value.upper() == 'NOT':
            return ~self.primary() & 0xFFFFFFFF
        raise RcError('line %d: %r is not a number (an undefined name?)' % (t.line, t.value))

    def expression(self):
        v = self.primary()
        while self.peek().kind == 'punct' and self.peek().value in '|&+-*/':
            op = self.take().value
            w = self.primary()
            v = {'|': v | w, '&': v & w, '+': v + w, '-': v - w, '*': v * w,
                 '/': int(v / w) if w else 0}[op] & 0xFFFFFFFF
        return v

    def style(self, default):
        """A style: terms joined by |, each adding its bits, or with NOT
        removing them from the statement's default."""
        style = default
        while True:
            if self.is_word('NOT'):
                self.take()
                style &= ~self.primary() & 0xFFFFFFFF
            else:
                style |= self.primary()
            if not self.accept('|'):
                return style

    def signed(self):
        v = self.expression()
        return v - (1 << 32) if v & 0x80000000 else v

    def text(self):
        t = self.take()
        if t.kind != 'string':
            raise RcError('line %d: expected a text, found %r' % (t.line, t.value))
        return unescape(t.value)

    def name_or_id(self):
        """A resource name: a number (after the preprocessor) or a word."""
        t = self.peek()
        if t.kind == 'name' and not (self.peek(1).kind == 'punct' and self.peek(1).value in '|+-*/&'):
            self.take()
            return None, t.value.upper()
        if t.kind == 'string':
            self.take()
            return None, unescape(t.value).decode('latin-1').upper()
        return self.expression() & 0xFFFF, None

    def skip_options(self):
        # LANGUAGE, CHARACTERISTICS and VERSION of a STRINGTABLE or a DIALOG.
        while self.is_word('LANGUAGE', 'CHARACTERISTICS', 'VERSION'):
            word = self.take().value.upper()
            self.take_expression_loosely()
            if word == 'LANGUAGE':
                self.comma()
                self.take_expression_loosely()

    def take_expression_loosely(self):
        # The LANGUAGE ids are not used; names the headers lack are fine.
        self.take()
        while self.peek().kind == 'punct' and self.peek().value in '|+':
            self.take()
            self.take()

    # ---- statements ----

    def parse(self):
        dialogs, strings, icons = [], {}, []
        while self.peek().kind != 'end':
            if self.is_word('LANGUAGE'):
                self.skip_options()
            elif self.is_word('STRINGTABLE'):
                self.take()
                self.stringtable(strings)
            else:
                ident, name = self.name_or_id()
                kind = self.take()
                word = kind.value.upper() if kind.kind == 'name' else ''
                if word in ('DIALOG', 'DIALOGEX'):
                    dialogs.append(self.dialog(ident, name, word == 'DIALOGEX'))
                elif word == 'ICON':
                    while self.is_word('PRELOAD', 'LOADONCALL', 'MOVEABLE', 'FIXED', 'PURE', 'IMPURE',
                                       'DISCARDABLE'):
                        self.take()
                    icons.append((ident, name, self.text().decode('latin-1'), kind.line))
                else:
                    raise RcError('line %d: resource type %r is not supported' % (kind.line, kind.value))
        return dialogs, strings, icons

    def stringtable(self, strings):
        while self.is_word('PRELOAD', 'LOADONCALL', 'MOVEABLE', 'FIXED', 'PURE', 'IMPURE', 'DISCARDABLE'):
            self.take()
        self.skip_options()
        self.begin()
        while not self.at_end():
            ident = self.expression() & 0xFFFF
            self.comma()
            text = self.text()
            while self.peek().kind == 'string':  # adjacent texts join
                text += self.text()
            if ident in strings:
                self.fail('string %d is defined twice' % ident)
            strings[ident] = text
        self.take()

    def dialog(self, ident, name, extended):
        while self.is_word('PRELOAD', 'LOADONCALL', 'MOVEABLE', 'FIXED', 'PURE', 'IMPURE', 'DISCARDABLE'):
            self.take()
        x = self.signed(); self.comma()
        y = self.signed(); self.comma()
        cx = self.signed(); self.comma()
        cy = self.signed()
        if extended and self.accept(','):
            self.expression()  # help id
        d = {'id': ident, 'name': name, 'x': x, 'y': y, 'cx': cx, 'cy': cy,
             'style': WS_POPUP | WS_BORDER | WS_SYSMENU, 'exstyle': 0, 'caption': b'', 'font': None,
             'fontsize': 0, 'items': []}
        while not (self.is_word('BEGIN') or (self.peek().kind == 'punct' and self.peek().value == '{')):
            word = self.take().value.upper()
            if word == 'STYLE':
                d['style'] = self.style(0)
            elif word == 'EXSTYLE':
                d['exstyle'] = self.style(0)
            elif word == 'CAPTION':
                d['caption'] = self.text()
                d['style'] |= WS_CAPTION
            elif word == 'FONT':
                d['fontsize'] = self.expression()
                self.comma()
                d['font'] = self.text()
                while self.accept(','):  # weight, italic, charset
                    self.expression()
                d['style'] |= DS_SETFONT
            elif word in ('LANGUAGE', 'CHARACTERISTICS', 'VERSION'):
                self.at -= 1
                self.skip_options()
            elif word in ('MENU', 'CLASS'):
                self.take()
            else:
                self.fail('unknown dialog statement %r' % word)
        self.begin()
        while not self.at_end():
            d['items'].append(self.control(extended))
        self.take()
        return d

    def control(self, extended):
        word = self.take()
        statement = word.value.upper()
        item = {'exstyle': 0}
        if statement == 'CONTROL':
            t = self.peek()
            item['text'] = self.text() if t.kind == 'string' else ('#%d' % self.expression()).encode()
            self.comma()
            item['id'] = self.signed(); self.comma()
            t = self.take()
            if t.kind == 'string':
                item['class'] = unescape(t.value).decode('latin-1')
            elif t.kind == 'name' and t.value.upper() in CONTROL_CLASSES:
                item['class'] = CONTROL_CLASSES[t.value.upper()]
            else:
                raise RcError('line %d: unknown control class %r' % (t.line, t.value))
            self.comma()
            item['style'] = self.style(WS_CHILD | WS_VISIBLE)
            self.comma()
            self.position(item)
            if self.accept(','):
                item['exstyle'] = self.style(0)
                if extended and self.accept(','):
                    self.expression()
            return item
        if statement == 'ICON':
            t = self.peek()
            item['text'] = self.text() if t.kind == 'string' else ('#%d' % self.expression()).encode()
            self.comma()
            item['id'] = self.signed(); self.comma()
            item['class'] = 'Static'
            item['x'] = self.signed(); self.comma()
            item['y'] = self.signed()
            item['cx'] = item['cy'] = 0
            item['style'] = WS_CHILD | WS_VISIBLE | 0x3
            if self.accept(','):
                item['cx'] = self.signed(); self.comma()
                item['cy'] = self.signed()
                if self.accept(','):
                    item['style'] = self.style(item['style'])
            return item
        if statement not in CONTROL_STATEMENTS:
            raise RcError('line %d: unknown control statement %r' % (word.line, word.value))
        cls, default, has_text = CONTROL_STATEMENTS[statement]
        item['class'] = cls
        item['text'] = b''
        if has_text:
            item['text'] = self.text()
            self.comma()
        item['id'] = self.signed(); self.comma()
        self.position(item)
        item['style'] = WS_CHILD | WS_VISIBLE | default
        if self.accept(','):
            if statement == 'COMBOBOX':
                # A combo box's type is the one given; CBS_SIMPLE only
                # when none is.
                item['style'] = self.style(WS_CHILD | WS_VISIBLE | WS_TABSTOP)
                if item['style'] & 0x3 == 0:
                    item['style'] |= 0x1
            else:
                item['style'] = self.style(item['style'])
            if self.accept(','):
                item['exstyle'] = self.style(0)
                if extended and self.accept(','):
                    self.expression()
        return item

    def position(self, item):
        item['x'] = self.signed(); self.comma()
        item['y'] = self.signed(); self.comma()
        item['cx'] = self.signed(); self.comma()
        item['cy'] = self.signed()


# ---- icons ----------------------------------------------------------------------

def read_icon(path, line):
    with open(path, 'rb') as f:
        data = f.read()
    if len(data) < 22 or data[0:4] != b'\0\0\1\0' or data[4] | data[5] << 8 == 0:
        raise RcError('line %d: %s is not an icon file' % (line, path))
    width = data[6] or 256
    height = data[7] or 256
    return data, width, height


def find_file(name, directories, line):
    for directory in directories:
        candidate = os.path.join(directory, name)
        if os.path.isfile(candidate):
            return candidate
    raise RcError('line %d: icon file %s not found' % (line, name))


# ---- output ---------------------------------------------------------------------

def c_string(data):
    if data is None:
        return 'nullptr'
    out = '"'
    for b in data:
        c = chr(b)
        if c == '"' or c == '\\':
            out += '\\' + c
        elif 32 <= b < 127 and c != '?':
            out += c
        else:
            out += '\\%03o' % b
    return out + '"'


def c_name(name):
    return 'nullptr' if name is None else c_string(name.encode('latin-1'))


def write_tables(out, source, dialogs, strings, icons):
    lines = ['// Made from %s by hostrc.py; do not edit.' % os.path.basename(source),
             '#include "host/user/resource_tables.h"', '', 'namespace {', '']
    for n, d in enumerate(dialogs):
        lines.append('const HostDialogItem kDialog%dItems[] = {' % n)
        for item in d['items']:
            lines.append('    {%s, %s, 0x%08Xu, 0x%08Xu, %d, %d, %d, %d, %d},' % (
                c_string(item['class'].encode('latin-1')), c_string(item['text']), item['style'], item['exstyle'],
                item['x'], item['y'], item['cx'], item['cy'], item['id']))
        if not d['items']:
            lines.append('    {nullptr, nullptr, 0, 0, 0, 0, 0, 0, 0},')
        lines += ['};', '']
    lines.append('const HostDialogTemplate kDialogs[] = {')
    for n, d in enumerate(dialogs):
        lines.append('    {%du, %s, 0x%08Xu, 0x%08Xu, %d, %d, %d, %d, %s, %s, %d, kDialog%dItems, %d},' % (
            d['id'] or 0, c_name(d['name']), d['style'], d['exstyle'], d['x'], d['y'], d['cx'], d['cy'],
            c_string(d['caption']), c_string(d['font']), d['fontsize'], n, len(d['items'])))
    if not dialogs:
        lines.append('    {0u, nullptr, 0, 0, 0, 0, 0, 0, nullptr, nullptr, 0, nullptr, 0},')
    lines += ['};', '', 'const HostStringResource kStrings[] = {']
    for ident in sorted(strings):
        lines.append('    {%du, %s, %du},' % (ident, c_string(strings[ident]), len(strings[ident])))
    if not strings:
        lines.append('    {0u, nullptr, 0u},')
    lines += ['};', '']
    for n, (ident, name, data, width, height) in enumerate(icons):
        lines.append('const unsigned char kIcon%d[] = {' % n)
        for at in range(0, len(data), 16):
            lines.append('    ' + ' '.join('0x%02X,' % b for b in data[at:at + 16]))
        lines += ['};', '']
    lines.append('const HostIconResource kIcons[] = {')
    for n, (ident, name, data, width, height) in enumerate(icons):
        lines.append('    {%du, %s, kIcon%d, %du, %d, %d},' % (ident or 0, c_name(name), n, len(data), width, height))
    if not icons:
        lines.append('    {0u, nullptr, nullptr, 0u, 0, 0},')
    lines += ['};', '',
              'const HostResourceTable kTable = {kHostResourceTableVersion, kDialogs, %d, kStrings, %d, kIcons, %d};'
              % (len(dialogs), len(strings), len(icons)), '', '}  // namespace', '',
              'extern "C" __attribute__((visibility("default"))) const HostResourceTable* HostwinResourceTable() {',
              '    return &kTable;', '}', '']
    text = '\n'.join(lines)
    if os.path.exists(out):
        with open(out, encoding='latin-1') as f:
            if f.read() == text:
                return
    with open(out, 'w', encoding='latin-1') as f:
        f.write(text)


def main():
    global ARGS
    parser = argparse.ArgumentParser(description='Compiles a .rc script into C++ resource tables.')
    parser.add_argument('--cpp', default='cpp', help='the preprocessor command')
    parser.add_argument('--defines', nargs='+', default=[], help='headers whose #defines the script may use')
    parser.add_argument('-I', dest='includes', action='append', default=[], help='include directory')
    parser.add_argument('--depfile', help='write the inputs as a make dependency file')
    parser.add_argument('input')
    parser.add_argument('output')
    ARGS = parser.parse_args()
    try:
        text = preprocess(ARGS.cpp, ARGS.input, ARGS.includes, ARGS.depfile, ARGS.output)
        dialogs, strings, icon_lines = Parser(tokenize(text)).parse()
        directories = [os.path.dirname(os.path.abspath(ARGS.input))] + ARGS.includes
        icons = []
        icon_files = []
        for ident, name, file_name, line in icon_lines:
            path = find_file(file_name, directories, line)
            icon_files.append(path)
            data, width, height = read_icon(path, line)
            icons.append((ident, name, data, width, height))
        if ARGS.depfile and icon_files:
            with open(ARGS.depfile, encoding='latin-1') as f:
                deps = f.read().rstrip('\n')
            with open(ARGS.depfile, 'w', encoding='latin-1') as f:
                f.write(deps + ' ' + ' '.join(icon_files) + '\n')
        write_tables(ARGS.output, ARGS.input, dialogs, strings, icons)
    except (RcError, OSError) as e:
        sys.stderr.write('%s: %s\n' % (ARGS.input, e))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
