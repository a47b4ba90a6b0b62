#!/usr/bin/env python3
"""Writes the data sections of the console's own cartridges in assets/carts/.

Each cartridge's program (its __lua__ section) is written by hand in its .tm
file and kept as it is. Its sprites, flags, map, sound effects and music come
from tools/art/carts/<name>.py. With --labels BUILD_DIR, each cartridge is
first run headless with build/tools/tamori_run and its screen becomes the
label; the launcher's thumbnails are made from those labels. Without it the
labels already in the files are kept.

Run from the repository root: python3 tools/art/make_carts.py [--labels build]
"""
import importlib
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), 'carts'))
import cart_text  # noqa: E402

CART_FOLDER = 'assets/carts'
DATA_SECTIONS = ('__gfx__', '__label__', '__gff__', '__map__', '__sfx__', '__music__')


def read_cart(path):
    """Returns the lines before the first data section (header and code) and
    the label rows found in the file."""
    head, label, section = [], [], None
    for line in open(path, encoding='utf-8').read().split('\n'):
        if line.startswith('__'):
            section = line
        if section is None or section == '__lua__':
            head.append(line)
        elif section == '__label__' and not line.startswith('__') and line:
            label.append(line)
    while head and head[-1] == '':
        head.pop()
    return head, label


def label_codes(rows):
    digits = '0123456789abcdefghijklmnopqrstuv'
    return [[(lambda v: v + 112 if v >= 16 else v)(digits.index(ch)) for ch in row] for row in rows]


def run_for_label(build, path, module):
    settings = getattr(module, 'LABEL', dict(frames=60, buttons='0 -\n'))
    with tempfile.TemporaryDirectory() as scratch:
        buttons = os.path.join(scratch, 'buttons.txt')
        png = os.path.join(scratch, 'label.png')
        with open(buttons, 'w') as f:
            f.write(settings['buttons'])
        subprocess.run([os.path.join(build, 'tools', 'tamori_run'), path, '-frames', str(settings['frames']),
                        '-buttons', buttons, '-png', png], check=True, stdout=subprocess.DEVNULL)
        return cart_text.png_to_codes(png, cart_text.read_palette('assets/palette.txt'))


def write_cart(path, head, data, label):
    lines = list(head)
    if 'gfx' in data:
        lines += ['__gfx__'] + data['gfx'].section()
    if label:
        lines += ['__label__'] + cart_text.label_section(label)[:-1] + ['']
    if 'flags' in data:
        lines += ['__gff__'] + cart_text.flags_section(data['flags'])
    if 'map' in data:
        lines += ['__map__'] + cart_text.map_section(data['map'])
    if 'sfx' in data:
        lines += ['__sfx__'] + cart_text.sfx_section(data['sfx'])
    if 'music' in data:
        lines += ['__music__'] + cart_text.music_section(data['music']) + ['']
    with open(path, 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines) + '\n')


def main():
    build = sys.argv[sys.argv.index('--labels') + 1] if '--labels' in sys.argv else None
    names = [line.strip()[:-3] for line in open(os.path.join(CART_FOLDER, 'order.txt')) if line.strip()]
    # The launcher goes last: its thumbnails are made from the others' labels.
    names = names[1:] + names[:1]
    labels = {}
    for name in names:
        module = importlib.import_module(name)
        path = os.path.join(CART_FOLDER, name + '.tm')
        head, label_rows = read_cart(path)
        label = label_codes(label_rows) if label_rows else None
        data = module.build(labels)
        write_cart(path, head, data, label)
        if build:
            label = run_for_label(build, path, module)
            write_cart(path, head, data, label)
        if label:
            labels[name] = label
        print('wrote', path)


if __name__ == '__main__':
    main()
