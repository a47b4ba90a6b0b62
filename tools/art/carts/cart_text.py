"""Helpers that turn readable definitions into the data sections of a
cartridge text file: sprite pictures, sound effects in note names, music
patterns, map rows and a label taken from a PNG screenshot."""
import struct
import zlib

NOTE_SEMITONES = {'c': 0, 'd': 2, 'e': 4, 'f': 5, 'g': 7, 'a': 9, 'b': 11}


# --- sprites -----------------------------------------------------------------

class Sheet:
    """A 128 x 128 sprite sheet of colour digits 0..15."""

    def __init__(self):
        self.pixels = [[0] * 128 for _ in range(128)]

    def put(self, sprite, rows):
        """Draws `rows` (strings of hex digits, '.' for 0) at sprite number
        `sprite`; a picture may span several sprites to the right and down."""
        x0, y0 = (sprite % 16) * 8, (sprite // 16) * 8
        for y, row in enumerate(rows):
            for x, ch in enumerate(row):
                self.pixels[y0 + y][x0 + x] = 0 if ch == '.' else int(ch, 16)

    def paste(self, x0, y0, picture):
        for y, row in enumerate(picture):
            for x, value in enumerate(row):
                self.pixels[y0 + y][x0 + x] = value

    def section(self):
        last = max((y for y in range(128) if any(self.pixels[y])), default=-1)
        return ['%s' % ''.join('%x' % v for v in self.pixels[y]) for y in range(last + 1)]


# --- sound effects -------------------------------------------------------------

def pitch_of(name):
    """'c3', 'f#2', 'bb1' -> pitch number; pitch 33 is a2 (440 Hz)."""
    semitone = NOTE_SEMITONES[name[0]]
    rest = name[1:]
    if rest.startswith('#'):
        semitone, rest = semitone + 1, rest[1:]
    elif rest.startswith('b') and len(rest) > 1:
        semitone, rest = semitone - 1, rest[1:]
    return max(0, min(63, semitone + 12 * int(rest)))


def sfx(speed, notes, wave=0, volume=5, effect=0, loop=(0, 0), noiz=False, buzz=False, detune=0, reverb=0,
        dampen=0):
    """One effect from a note string: words separated by spaces, each a note
    name ('c3', 'f#2'), '.' for a rest, or a note with overrides
    'name:wave:volume:effect' (empty fields keep the defaults). A word
    '*N' repeats the previous word N more times."""
    words = notes.split()
    expanded = []
    for word in words:
        if word.startswith('*'):
            expanded.extend([expanded[-1]] * int(word[1:]))
        else:
            expanded.append(word)
    assert len(expanded) <= 32, notes
    cells = []
    for word in expanded:
        if word == '.':
            cells.append((0, 0, 0, 0))
            continue
        parts = word.split(':') + [''] * 3
        w = int(parts[1]) if parts[1] else wave
        v = int(parts[2]) if parts[2] else volume
        e = int(parts[3]) if parts[3] else effect
        cells.append((pitch_of(parts[0]), w, v, e))
    cells += [(0, 0, 0, 0)] * (32 - len(cells))
    filters = (2 if noiz else 0) | (4 if buzz else 0) | ((detune + 3 * reverb + 9 * dampen) << 3)
    return dict(speed=speed, loop=loop, filters=filters, notes=cells)


def raw_sfx(speed, cells, loop=(0, 0), filters=0):
    """An effect from (pitch, wave, volume, effect) tuples."""
    cells = list(cells) + [(0, 0, 0, 0)] * (32 - len(cells))
    return dict(speed=speed, loop=loop, filters=filters, notes=cells)


def sfx_section(effects):
    """`effects` maps effect numbers to sfx() records."""
    last = max(effects) if effects else -1
    lines = []
    for n in range(last + 1):
        e = effects.get(n)
        if e is None:
            lines.append('00%02x0000' % (1 if n == 0 else 16) + '00000' * 32)
            continue
        line = '%02x%02x%02x%02x' % (e['filters'], e['speed'], e['loop'][0], e['loop'][1])
        line += ''.join('%02x%x%x%x' % note for note in e['notes'])
        lines.append(line)
    return lines


# --- music ---------------------------------------------------------------------

LOOP_START, LOOP_BACK, STOP = 1, 2, 4


def music_section(patterns):
    """`patterns` is a list of (flags, [effect or None] * 4)."""
    lines = []
    for flags, tracks in patterns:
        tracks = list(tracks) + [None] * (4 - len(tracks))
        values = [0x41 + k if t is None else t for k, t in enumerate(tracks)]
        lines.append('%02x ' % flags + ''.join('%02x' % v for v in values))
    return lines


# --- map -----------------------------------------------------------------------

def map_section(cells):
    """`cells` is a list of rows (at most 32) of 128 tile numbers."""
    last = max((y for y in range(len(cells)) if any(cells[y])), default=-1)
    return [''.join('%02x' % v for v in cells[y]) for y in range(last + 1)]


def flags_section(flags):
    """`flags` maps sprite numbers to flag bytes."""
    values = [flags.get(i, 0) for i in range(256)]
    return [''.join('%02x' % v for v in values[:128]), ''.join('%02x' % v for v in values[128:])]


# --- label ---------------------------------------------------------------------

def read_png_rgb(path):
    """A minimal reader for the non-interlaced PNG files the console writes:
    8-bit RGB or RGBA, or palette pictures of 1, 2, 4 or 8 bits a pixel."""
    with open(path, 'rb') as f:
        data = f.read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path
    pos, idat, plte = 8, b'', []
    width = height = depth = colour_type = 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour_type = struct.unpack('>IIBB', body[:10])
            assert colour_type in (2, 3, 6) and (colour_type == 3 or depth == 8), (depth, colour_type)
        elif kind == b'PLTE':
            plte = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    bits = depth * {2: 3, 3: 1, 6: 4}[colour_type]
    stride = (width * bits + 7) // 8
    unit = max(1, bits // 8)
    raw = zlib.decompress(idat)
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - unit] if i >= unit else 0
            b = previous[i]
            c = previous[i - unit] if i >= unit else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        if colour_type == 3:
            per_byte = 8 // depth
            row = []
            for x in range(width):
                byte = line[x // per_byte]
                shift = 8 - depth * (x % per_byte + 1)
                row.append(plte[(byte >> shift) & ((1 << depth) - 1)])
        else:
            row = [tuple(line[x * unit:x * unit + 3]) for x in range(width)]
        rows.append(row)
        previous = line
    return rows


def read_palette(path):
    """Colour code -> (r, g, b) from assets/palette.txt."""
    colours = {}
    for line in open(path):
        parts = line.split()
        if len(parts) == 2 and not line.startswith('#'):
            value = parts[1].lstrip('#')
            colours[int(parts[0])] = tuple(int(value[i:i + 2], 16) for i in (0, 2, 4))
    return colours


def png_to_codes(path, palette):
    """A 128 x 128 screenshot as colour codes (0..15, 128..143)."""
    rows = read_png_rgb(path)
    step_y, step_x = len(rows) // 128, len(rows[0]) // 128
    lookup = {rgb: code for code, rgb in sorted(palette.items(), reverse=True)}
    picture = []
    for y in range(128):
        row = []
        for x in range(128):
            rgb = rows[y * step_y][x * step_x]
            if rgb not in lookup:
                lookup[rgb] = min(palette, key=lambda c: sum((p - q) ** 2 for p, q in zip(palette[c], rgb)))
            row.append(lookup[rgb])
        picture.append(row)
    return picture


def label_section(picture):
    digits = '0123456789abcdefghijklmnopqrstuv'
    return [''.join(digits[(v & 15) + (16 if v >= 128 else 0)] for v in row) for row in picture] + ['']


def thumbnail(picture, size):
    """Shrinks a label to size x size by taking the commonest colour of each
    square block of the centre of the picture, preferring any colour over
    the background 0; extra colours become their base colour."""
    block = 128 // size
    margin = (128 - block * size) // 2
    out = []
    for by in range(size):
        row = []
        for bx in range(size):
            counts = {}
            for y in range(margin + by * block, margin + by * block + block):
                for x in range(margin + bx * block, margin + bx * block + block):
                    v = picture[y][x] & 15
                    counts[v] = counts.get(v, 0) + (1 if v == 0 else 2)
            row.append(max(counts, key=lambda c: counts[c]))
        out.append(row)
    return out
