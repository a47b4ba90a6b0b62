"""The graphics tour: a walking figure, two spinning gems and a tile set
with a generated island map for the map and textured-floor scenes."""
import math

from cart_text import Sheet

LABEL = dict(frames=90, buttons='0 -\n')

FIGURE = [
    '......4444......', '.....444444.....', '....44ffff4.....', '....4f7ff7f.....',
    '....4ffffff.....', '.....ffeeff.....', '......ffff......', '....cccccccc....',
    '...cc7cccc7cc...', '...fccccccccf...', '...f.cccccc.f...', '.....111111.....',
    '.....11..11.....', '.....11..11.....', '.....44..44.....', '....444..444....',
]
FIGURE_STEP = FIGURE[:12] + [
    '.....11..11.....', '....11....11....', '....44....44....', '...444....444...',
]
GEMS = [
    ['...77...', '..7cc7..', '.7cccc7.', '7cccccc7', '.7cccc7.', '..7cc7..', '...77...', '........'],
    ['...77...', '..7887..', '.788887.', '78888887', '.788887.', '..7887..', '...77...', '........'],
]
TILES = {
    64: ['33333333', '3b333333', '333333b3', '33333333', '3333b333', '33333333', 'b3333333', '333333b3'],
    65: ['33333333', '3e33a333', '33333333', '333e3333', '3333333a', '3a333333', '333333e3', '33333333'],
    66: ['cccccccc', 'cc7ccccc', 'cccccccc', 'ccccc7cc', 'cccccccc', 'c7cccccc', 'cccccccc', 'cccc7ccc'],
    67: ['ffffffff', 'fff9ffff', 'ffffffff', 'ffffff9f', 'ffffffff', 'f9ffffff', 'ffffffff', 'ffff9fff'],
    68: ['333bb333', '33bbbb33', '3bbbbbb3', 'bbb3bbbb', '3bbbbbb3', '33bbbb33', '3334433b', '33344333'],
    69: ['99999999', '9f9999f9', '99999999', '999f9999', '99999999', 'f99999f9', '99999999', '9999f999'],
    70: ['33333333', '33366333', '33665533', '36665553', '36655553', '33555533', '33333333', '33333333'],
    71: ['11111111', '11c11111', '11111111', '11111c11', '11111111', '1c111111', '11111111', '1111c111'],
}


def island(x, y):
    """Height of the generated landscape at tile (x, y), about -1..1."""
    return (math.sin(x * 0.21) + math.sin(y * 0.37 + x * 0.05) + math.cos((x + y) * 0.13) * 0.8) / 2.5


def build(labels):
    sheet = Sheet()
    sheet.put(1, FIGURE)
    sheet.put(3, GEMS[0])
    sheet.put(4, GEMS[1])
    sheet.put(5, FIGURE_STEP)
    for n, rows in TILES.items():
        sheet.put(n, rows)
    cells = []
    for y in range(32):
        row = []
        for x in range(128):
            h = island(x, y)
            if 7 <= y <= 8:
                tile = 69
            elif h < -0.45:
                tile = 71
            elif h < -0.2:
                tile = 66
            elif h < -0.05:
                tile = 67
            elif h > 0.55:
                tile = 68
            elif h > 0.45:
                tile = 70
            else:
                tile = 65 if (x * 7 + y * 13) % 5 == 0 else 64
            row.append(tile)
        cells.append(row)
    return dict(gfx=sheet, map=cells)
