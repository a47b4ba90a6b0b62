"""The sound demo's effects: one phrase per waveform, one per note effect,
one per filter, and three songs of four patterns each."""
from cart_text import sfx
from music_parts import arpeggio, bass, drums

LABEL = dict(frames=150, buttons='0 -\n20 u\n22 -\n24 u\n26 -\n30 o\n32 -\n')

PHRASE = 'c3 e3 g3 c4 . g3 e3 c3 e3 g3 c4 e4 g4 . . .'
EFFECT_PHRASES = [
    'c3 e3 g3 c4 . . . .',
    'c3 c3 g3 g3 c4 c4 g3 g3 c3 . . .',
    'c3 *3 g3 *3 c4 *3 . .',
    'c4 g3 e3 c3 c4 g3 e3 c3',
    'c3 e3 g3 c4 c3 e3 g3 c4',
    'c3 e3 g3 c4 c3 e3 g3 c4',
    'c3 e3 g3 c4 c3 e3 g3 c4 a2 c3 e3 a3 a2 c3 e3 a3',
    'c3 e3 g3 c4 c3 e3 g3 c4 a2 c3 e3 a3 a2 c3 e3 a3',
]


def songs(effects, patterns):
    """Three songs: patterns 0..3, 8..11 and 16..19."""
    walk = [('c', ['c', 'e', 'g', "c'"]), ('f', ['f', 'a', 'c', "f'"]),
            ('a', ['a', 'c', 'e', "a'"]), ('g', ['g', 'b', 'd', "g'"])]
    walk_lead = ['e4 . g4 . c5 . . . b4 . g4 . e4 . . . d4 . e4 . g4 . . . e4 . d4 . c4 . . .',
                 'f4 . a4 . c5 . . . a4 . f4 . c5 . . . d5 . c5 . a4 . . . f4 . a4 . c5 . . .',
                 'e5 . c5 . a4 . . . c5 . e5 . a5 . . . g5 . e5 . c5 . . . a4 . c5 . e5 . . .',
                 'd5 . b4 . g4 . . . b4 . d5 . g5 . . . f5 . d5 . b4 . . . g4 . b4 . d5 . . .']
    for k, (root, chord) in enumerate(walk):
        effects[24 + k] = bass(root, wave=0, speed=12)
        effects[28 + k] = arpeggio(chord, wave=5, volume=2, speed=12)
        effects[32 + k] = sfx(12, walk_lead[k], wave=1, volume=4)
        patterns[k] = (1 if k == 0 else 2 if k == 3 else 0, [24 + k, 28 + k, 32 + k, None])
    race = [('e', ['e', 'g', 'b', "e'"]), ('c', ['c', 'e', 'g', "c'"]),
            ('d', ['d', 'f#', 'a', "d'"]), ('b', ['b', 'd#', 'f#', "b'"])]
    effects[44] = drums(speed=7)
    for k, (root, chord) in enumerate(race):
        effects[36 + k] = bass(root, wave=2, volume=5, speed=7, pattern='R R . R H . R . R R . R H . R H')
        effects[40 + k] = arpeggio(chord, octave=4, wave=3, volume=2, speed=7)
        patterns[8 + k] = (1 if k == 0 else 2 if k == 3 else 0, [36 + k, 40 + k, 44, None])
    deep = [('d', ['d', 'f', 'a', "c'"]), ('a#', ['a#', 'd', 'f', "a'"]),
            ('g', ['g', 'a#', 'd', "f'"]), ('a', ['a', 'c#', 'e', "g'"])]
    for k, (root, chord) in enumerate(deep):
        effects[48 + k] = sfx(24, ' '.join(['%s1' % root] * 32), wave=0, volume=4, effect=0)
        effects[52 + k] = arpeggio(chord, octave=3, wave=0, volume=3, speed=24, effect=2)
        effects[52 + k]['filters'] = (1 + 3 * 2) << 3  # detune 1, reverb 2
        effects[56 + k] = sfx(48, ' '.join('%s4:7:2:4 %s4:7:2:5' % (chord[2], chord[1]) for _ in range(8)))
        patterns[16 + k] = (1 if k == 0 else 2 if k == 3 else 0, [48 + k, 52 + k, 56 + k, None])


def build(labels):
    effects = {}
    for w in range(8):
        effects[w] = sfx(10, PHRASE, wave=w, volume=5)
    for e in range(8):
        effects[8 + e] = sfx(16 if e >= 6 else 10, EFFECT_PHRASES[e], wave=5, volume=5, effect=e)
    effects[16] = sfx(10, PHRASE, wave=6, volume=5, noiz=True)
    effects[17] = sfx(10, PHRASE, wave=3, volume=5, buzz=True)
    effects[18] = sfx(10, PHRASE, wave=1, volume=5, detune=2)
    effects[19] = sfx(10, 'c3 . . . e3 . . . g3 . . . c4 . . .', wave=4, volume=5, reverb=2)
    effects[20] = sfx(10, PHRASE, wave=2, volume=5, dampen=2)
    patterns = [(0, [None] * 4)] * 20
    songs(effects, patterns)
    return dict(sfx=effects, music=patterns)
