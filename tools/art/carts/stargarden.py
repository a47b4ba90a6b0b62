"""Star garden, the console's own little game: its sprites, sounds and the
title and play songs."""
from cart_text import Sheet, sfx
from music_parts import arpeggio, bass, drums

LABEL = dict(frames=70, buttons='0 -\n')

SPRITES = {
    1: ['........', '...77...', '..7cc7..', '.7cccc7.', '7cc77cc7', '7c7..7c7', '.7....7.', '........'],
    2: ['...a....', '...a....', '..aaa...', 'aaa7aaa.', '..aaa...', '.a...a..', '........', '........'],
    3: ['........', '...a....', '..a7a...', '.aa7aa..', '..a7a...', '...a....', '........', '........'],
    4: ['...9....', '..999...', '.99a99..', '99a7a99.', '.99a99..', '..9.9...', '.9...9..', '........'],
    5: ['.....98.', '....988.', '...9888.', '..98888.', '.988878.', '988888..', '.88888..', '..888...'],
    6: ['........', '.88.88..', '8e888e8.', '8888888.', '.88888..', '..888...', '...8....', '........'],
    7: ['........', '...77...', '..7cc7..', '.7cccc7.', '7cc77cc7', '7c7..7c7', '.7....7.', '.c....c.'],
    16: ['........', '........', '........', '........', '........', '...3....', '..b3....', '...3....'],
    17: ['........', '........', '........', '...e....', '..eae...', '...e....', '..b3....', '...3b...'],
    18: ['........', '........', '..e.e...', '...a....', '..e.e...', '...3....', '..b3b...', '...3....'],
    19: ['........', '.e.e.e..', '..eae...', '.eaaae..', '..eae...', '.e.3.e..', '..b3b...', '...3....'],
}

TITLE_CHORDS = [('c', ['c', 'e', 'g', "c'"]), ('a', ['a', 'c', 'e', "a'"]),
                ('f', ['f', 'a', 'c', "f'"]), ('g', ['g', 'b', 'd', "g'"])]
PLAY_CHORDS = [('a', ['a', 'c', 'e', "a'"]), ('f', ['f', 'a', 'c', "f'"]),
               ('d', ['d', 'f', 'a', "d'"]), ('e', ['e', 'g#', 'b', "e'"])]
PLAY_LEAD = [
    'a4 . e4 . a4 . c5 . b4 . a4 . e4 . . . a4 . c5 . d5 . e5 . d5 . c5 . b4 .',
    'a4 . f4 . a4 . c5 . f5 . e5 . c5 . . . a4 . c5 . a4 . f4 . a4 . c5 . . .',
    'd5 . a4 . f4 . a4 . d5 . e5 . f5 . . . e5 . d5 . a4 . f4 . d4 . f4 . a4 .',
    'e5 . . . b4 . g#4 . e4 . g#4 . b4 . . . e5 . d5 . b4 . g#4 . e4 . . . . .',
]


def build(labels):
    sheet = Sheet()
    for n, rows in SPRITES.items():
        sheet.put(n, rows)
    effects = {
        0: sfx(2, 'c4 e4 g4 c5', wave=4, volume=5),
        1: sfx(2, 'c4 e4 g4 c5 e5 g5 c6 g5 c6:4:3:5', wave=4, volume=6),
        2: sfx(3, 'c3 a2 f2 d2 c2 a1 f1 d1 c1', wave=6, volume=7, effect=5),
        3: sfx(3, 'e4 g4 c5 e5 g5:5:5:5', wave=5, volume=5),
        4: sfx(1, 'c3 d3 e3 g3 c4 e4 g4', wave=2, volume=3, effect=1),
        5: sfx(10, 'c4 b3 a3 g3 f3 e3 d3 c3:5:5:5', wave=1, volume=5, effect=0),
        6: sfx(4, 'c4 g4 c5 . c5:5:5:5', wave=5, volume=5),
        7: sfx(4, 'g4 c5 e5 g5 . e5 g5 c6:5:5:5', wave=4, volume=5),
    }
    patterns = []
    for k, (root, chord) in enumerate(TITLE_CHORDS):
        effects[16 + k] = bass(root, wave=0, volume=5, speed=14)
        effects[20 + k] = arpeggio(chord, octave=3, wave=5, volume=2, speed=14)
        patterns.append((1 if k == 0 else 2 if k == 3 else 0, [16 + k, 20 + k, None, None]))
    patterns += [(0, [None] * 4)] * 4
    effects[40] = drums(speed=8)
    for k, (root, chord) in enumerate(PLAY_CHORDS):
        effects[32 + k] = bass(root, wave=1, volume=5, speed=8, pattern='R . R . H . R . R . R . H . R .')
        effects[36 + k] = sfx(8, PLAY_LEAD[k], wave=3, volume=3)
        effects[44 + k] = arpeggio(chord, octave=3, wave=4, volume=2, speed=8, effect=0)
        patterns.append((1 if k == 0 else 2 if k == 3 else 0, [32 + k, 36 + k, 40, 44 + k]))
    return dict(gfx=sheet, sfx=effects, music=patterns)
