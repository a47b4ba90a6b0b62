"""The launcher: thumbnails of the other cartridges' labels, a gentle
four-chord song and the interface sounds."""
from cart_text import Sheet, sfx, thumbnail
from music_parts import arpeggio, bass

LABEL = dict(frames=40, buttons='0 -\n')

# Cartridges shown, in the order of the launcher's list.
SHOWN = ['stargarden', 'graphics', 'sound', 'input', 'text', 'machine']

CHORDS = [('a', ['a', 'c', 'e', "a'"]), ('f', ['f', 'a', 'c', "f'"]),
          ('c', ['c', 'e', 'g', "c'"]), ('g', ['g', 'b', 'd', "g'"])]

MELODY = [
    'e4 . . . d4 . c4 . d4 . . . e4 . . . a3 . . . . . c4 . b3 . . . a3 . . .',
    'a3 . . . c4 . f4 . e4 . . . c4 . . . f4 . . . e4 . c4 . a3 . . . . . . .',
    'g4 . . . e4 . c4 . e4 . . . g4 . . . c5 . . . b4 . g4 . e4 . . . . . . .',
    'd4 . . . g4 . b4 . d5 . . . b4 . . . g4 . . . a4 . b4 . d5 . . . b4 . . .',
]


def build(labels):
    sheet = Sheet()
    for i, name in enumerate(SHOWN):
        if name in labels:
            sheet.paste((i % 3) * 42, (i // 3) * 42, thumbnail(labels[name], 42))
    effects = {
        8: sfx(2, 'e4:4 a4:4:3', volume=4),
        9: sfx(3, 'c4 e4 g4 c5 e5 g5 c5:5:3:5', wave=5, volume=5),
        10: sfx(6, 'c3 . c2:3:5:3', wave=3, volume=5),
    }
    patterns = []
    for k, (root, chord) in enumerate(CHORDS):
        effects[16 + k] = bass(root, wave=0, volume=5)
        effects[20 + k] = arpeggio(chord, wave=5, volume=2)
        effects[24 + k] = sfx(12, MELODY[k], wave=1, volume=3, effect=0)
        patterns.append((1 if k == 0 else 2 if k == 3 else 0, [16 + k, 20 + k, 24 + k, None]))
    return dict(gfx=sheet, sfx=effects, music=patterns)
