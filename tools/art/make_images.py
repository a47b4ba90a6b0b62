#!/usr/bin/env python3
"""Writes assets/images/*.txt, the console's interface pictures.

Every picture is drawn here from simple shapes, in palette indices of
assets/palette.txt, and written as "size W H" followed by H rows of W
colour characters ('.' 0, '1'..'9', 'a'..'f' 10..15, 'g'..'v' 128..143).

  cart_template  160 x 205  what PNG cartridges are drawn on; the label
                            goes at (16, 24), 128 x 128, the text lines at
                            x 18, y 167 / 175 / 187
  tv_frame       144 x 136  bezel around the picture at (8, 4); the frame
                            colours come from its columns 1 and width - 2
  icon           16 x 16    window icon, 0 is transparent
  boot_cursor    7 x 5      the block that steps along the boot screen
  item_188       8 x 8      pause symbol
  item_212..221  10 x 10    ten frames of a turning ring of dots
  item_245       8 x 8      notice symbol
  item_189       7 x 7      pause-menu pointer beside the selected item
  item_190       104 x 40   controls picture: two pads, their top-left
                            at (2, 8) and (54, 8), 48 x 30 each; the
                            console draws the button glyphs over them
  item_191       6 x 8      mouse pointer over the controls picture

Run from the repository root: python3 tools/art/make_images.py
"""
import math
import os

# Palette indices by role (see assets/palette.txt).
CLEAR = 0
NAVY = 1
PLUM = 2
DARK_GREY = 5
LIGHT_GREY = 6
WHITE = 7
RED = 8
ORANGE = 9
YELLOW = 10
GREEN = 11
BLUE = 12
LAVENDER = 13
INK = 128           # near black, for outlines where 0 would be transparent
DEEP_NAVY = 129
SLATE = 133
STEEL = 134


def character_of_colour(colour):
    if colour == 0:
        return '.'
    if 1 <= colour <= 9:
        return str(colour)
    if 10 <= colour <= 15:
        return 'abcdef'[colour - 10]
    if 128 <= colour <= 143:
        return chr(ord('g') + colour - 128)
    raise ValueError('colour %d has no character' % colour)


class Canvas:
    def __init__(self, width, height, colour=CLEAR):
        self.width = width
        self.height = height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def fill(self, left, top, width, height, colour):
        for y in range(top, top + height):
            for x in range(left, left + width):
                self.put(x, y, colour)

    def rounded(self, left, top, width, height, radius, colour):
        """A filled rectangle whose corners are quarter circles."""
        for y in range(top, top + height):
            for x in range(left, left + width):
                if inside_rounded(x - left, y - top, width, height, radius):
                    self.put(x, y, colour)

    def rows(self):
        return [''.join(character_of_colour(c) for c in row) for row in self.pixels]


def inside_rounded(x, y, width, height, radius):
    # Distance to the nearest corner centre, measured from pixel centres.
    corner_x = min(max(x, radius), width - 1 - radius)
    corner_y = min(max(y, radius), height - 1 - radius)
    dx, dy = x - corner_x, y - corner_y
    return dx * dx + dy * dy <= radius * radius + radius * 0.8


def shade_edges(canvas, left, top, width, height, radius, light, dark):
    """Light top/left and dark bottom/right rims on a rounded shape."""
    for y in range(top, top + height):
        for x in range(left, left + width):
            if not inside_rounded(x - left, y - top, width, height, radius):
                continue
            above = inside_rounded(x - left, y - 1 - top, width, height, radius)
            before = inside_rounded(x - 1 - left, y - top, width, height, radius)
            below = inside_rounded(x - left, y + 1 - top, width, height, radius)
            after = inside_rounded(x + 1 - left, y - top, width, height, radius)
            if not below or not after:
                canvas.put(x, y, dark)
            elif not above or not before:
                canvas.put(x, y, light)


# --- the cartridge template --------------------------------------------------
LABEL_LEFT, LABEL_TOP, LABEL_SIZE = 16, 24, 128


def cart_template():
    c = Canvas(160, 205, INK)
    # Body with a bevelled rim, and a narrower step at the bottom where the
    # contacts would be.
    c.rounded(4, 2, 152, 197, 7, DARK_GREY)
    shade_edges(c, 4, 2, 152, 197, 7, STEEL, DEEP_NAVY)
    c.rounded(20, 196, 120, 9, 3, SLATE)
    shade_edges(c, 20, 196, 120, 9, 3, STEEL, DEEP_NAVY)
    for x in range(28, 133, 6):
        c.fill(x, 199, 3, 6, YELLOW)
        c.put(x + 2, 199, ORANGE)
    # Grip ridges along the top edge, a small insert arrow, and a coloured
    # stripe in the top left corner.
    for y in (7, 11, 15):
        c.fill(24, y, 96, 1, DEEP_NAVY)
        c.fill(24, y + 1, 96, 1, STEEL)
    for row in range(5):
        c.fill(134 - row, 8 + row, 1 + 2 * row, 1, LIGHT_GREY)
    for index, colour in enumerate((RED, ORANGE, YELLOW, GREEN, BLUE)):
        c.fill(10 + 2 * index, 6, 2, 12, colour)
    # Recessed window around the label: a dark lip, then the label area,
    # which shows as a navy field when a cartridge has no label.
    c.fill(LABEL_LEFT - 3, LABEL_TOP - 3, LABEL_SIZE + 6, LABEL_SIZE + 6, DEEP_NAVY)
    c.fill(LABEL_LEFT - 2, LABEL_TOP - 2, LABEL_SIZE + 4, LABEL_SIZE + 4, INK)
    c.fill(LABEL_LEFT - 3, LABEL_TOP + LABEL_SIZE + 3, LABEL_SIZE + 6, 1, STEEL)
    c.fill(LABEL_LEFT + LABEL_SIZE + 3, LABEL_TOP - 3, 1, LABEL_SIZE + 7, STEEL)
    c.fill(LABEL_LEFT, LABEL_TOP, LABEL_SIZE, LABEL_SIZE, NAVY)
    # Dark panel for the two comment lines (y 167, 175) and the title line
    # (y 187), each up to 31 characters of 4 pixels from x 18.
    c.fill(13, 162, 134, 1, DEEP_NAVY)
    c.fill(13, 163, 134, 31, INK)
    c.fill(13, 194, 134, 1, STEEL)
    return c


# --- the TV frame ------------------------------------------------------------
def tv_frame():
    width, height = 144, 136
    c = Canvas(width, height, INK)
    c.rounded(0, 0, width, height, 10, DARK_GREY)
    shade_edges(c, 0, 0, width, height, 10, STEEL, INK)
    # The picture sits at (8, 4); a dark rounded recess around it.
    c.rounded(6, 2, 132, 132, 4, INK)
    c.fill(8, 4, 128, 128, CLEAR)
    # The console takes each side's base colour from columns 1 and
    # width - 2 and adds a glow of the picture's edge to it: one even, dim
    # colour top to bottom keeps the glow from wrapping round or banding.
    c.fill(1, 0, 1, height, DARK_GREY)
    c.fill(width - 2, 0, 1, height, DARK_GREY)
    # A small power light in the lower bezel.
    c.put(width - 5, height - 2, RED)
    return c


# --- the window icon ---------------------------------------------------------
def icon():
    """A wide handheld: screen in the middle, pad on the left, buttons right."""
    c = Canvas(16, 16)
    c.rounded(0, 3, 16, 10, 3, INK)
    c.rounded(1, 4, 14, 8, 2, LIGHT_GREY)
    c.fill(5, 5, 6, 6, INK)
    c.fill(6, 6, 4, 4, BLUE)
    c.fill(6, 8, 4, 2, GREEN)
    c.put(8, 6, YELLOW)
    c.fill(2, 8, 3, 1, DARK_GREY)
    c.fill(3, 7, 1, 3, DARK_GREY)
    c.put(12, 7, RED)
    c.put(13, 9, ORANGE)
    return c


# --- the boot cursor ---------------------------------------------------------
def boot_cursor():
    c = Canvas(7, 5)
    c.fill(0, 0, 7, 5, RED)
    c.fill(0, 0, 7, 1, ORANGE)
    c.fill(6, 1, 1, 4, INK)
    c.fill(0, 4, 7, 1, INK)
    return c


# --- pause-menu and notice symbols ------------------------------------------
def pause_symbol():
    c = Canvas(8, 8)
    c.rounded(0, 0, 8, 8, 2, DARK_GREY)
    c.fill(2, 2, 1, 4, WHITE)
    c.fill(5, 2, 1, 4, WHITE)
    return c


def notice_symbol():
    c = Canvas(8, 8)
    c.rounded(0, 0, 8, 8, 3, ORANGE)
    c.fill(3, 1, 2, 4, WHITE)
    c.fill(3, 6, 2, 1, WHITE)
    return c


def menu_pointer():
    """A right-pointing arrow head with a dark lower rim."""
    c = Canvas(7, 7)
    for y in range(7):
        reach = 3 - abs(y - 3)
        c.fill(0, y, reach + 1, 1, WHITE)
        if y >= 3:
            c.put(reach + 1, y, DARK_GREY)
    return c


def mouse_pointer():
    """The usual slanted arrow: white with a near-black outline."""
    shape = ['1.....',
             '11....',
             '171...',
             '1771..',
             '17771.',
             '177111',
             '1171..',
             '1..11.']
    c = Canvas(6, 8)
    for y, row in enumerate(shape):
        for x, cell in enumerate(row):
            if cell == '1':
                c.put(x, y, INK)
            elif cell == '7':
                c.put(x, y, WHITE)
    return c


# The pads of the controls picture; the console's indicator positions
# (shell/pause_menu_draw.cpp) follow these numbers.
PAD_LEFTS, PAD_TOP, PAD_WIDTH, PAD_HEIGHT = (2, 54), 8, 48, 30


def controls_picture():
    c = Canvas(104, 40)
    for left in PAD_LEFTS:
        c.rounded(left, PAD_TOP, PAD_WIDTH, PAD_HEIGHT, 7, SLATE)
        shade_edges(c, left, PAD_TOP, PAD_WIDTH, PAD_HEIGHT, 7, STEEL, DEEP_NAVY)
        # The d-pad cross under the four arrows.
        c.fill(left + 9, PAD_TOP + 2, 8, 26, INK)
        c.fill(left + 1, PAD_TOP + 11, 24, 8, INK)
        # The two round buttons under O and X.
        c.rounded(left + 27, PAD_TOP + 11, 10, 9, 4, RED)
        c.rounded(left + 37, PAD_TOP + 8, 10, 9, 4, PLUM)
    return c


def ring_frames(count=10):
    """A ring of dots whose bright head goes round once over the frames."""
    tail = [WHITE, LIGHT_GREY, STEEL, DARK_GREY]
    frames = []
    for frame in range(count):
        c = Canvas(10, 10)
        for dot in range(count):
            # Half a step off the vertical so that the dots pair up evenly
            # around the centre of the even-sized picture.
            angle = 2 * math.pi * (dot + 0.5) / count - math.pi / 2
            x = int(math.floor(5 + 3.9 * math.cos(angle)))
            y = int(math.floor(5 + 3.9 * math.sin(angle)))
            behind = (frame - dot) % count
            colour = tail[behind] if behind < len(tail) else DEEP_NAVY
            c.put(x, y, colour)
        frames.append(c)
    return frames


def write(folder, name, canvas, description):
    lines = ['# %s' % description, '# Generated by tools/art/make_images.py.',
             'size %d %d' % (canvas.width, canvas.height)]
    lines.extend(canvas.rows())
    with open(os.path.join(folder, name + '.txt'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
    folder = os.path.join(root, 'assets', 'images')
    os.makedirs(folder, exist_ok=True)
    write(folder, 'cart_template', cart_template(), 'PNG cartridge template, label window at (16, 24)')
    write(folder, 'tv_frame', tv_frame(), 'TV frame bezel around the picture at (8, 4)')
    write(folder, 'icon', icon(), 'window icon; 0 is transparent')
    write(folder, 'boot_cursor', boot_cursor(), 'boot screen cursor block')
    write(folder, 'item_188', pause_symbol(), 'pause symbol')
    write(folder, 'item_245', notice_symbol(), 'notice symbol')
    write(folder, 'item_189', menu_pointer(), 'pause-menu pointer')
    write(folder, 'item_190', controls_picture(), 'controls picture, pads at (2, 8) and (54, 8)')
    write(folder, 'item_191', mouse_pointer(), 'mouse pointer')
    for index, frame in enumerate(ring_frames()):
        write(folder, 'item_%d' % (212 + index), frame, 'turning ring, frame %d of 10' % (index + 1))


if __name__ == '__main__':
    main()
