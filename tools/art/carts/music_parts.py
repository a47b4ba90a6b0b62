"""Small composing helpers shared by the cartridges' songs: a chord becomes
a bass line, an arpeggio or a drum track of 32 notes."""
from cart_text import sfx


def bass(root, octave=1, wave=0, volume=5, speed=12, pattern='R . . R . . R . R . . R . R . .'):
    """A bass line on `root`: R the root, H the octave above, '.' a rest."""
    words = []
    for w in (pattern + ' ' + pattern).split():
        words.append('.' if w == '.' else ('%s%d' % (root, octave + (1 if w == 'H' else 0))))
    return sfx(speed, ' '.join(words[:32]), wave=wave, volume=volume)


def arpeggio(chord, octave=3, wave=5, volume=2, speed=12, effect=0):
    """The chord's notes rising and falling over 32 notes."""
    notes = []
    order = chord + chord[-2:0:-1]
    while len(notes) < 32:
        for n in order:
            notes.append('%s%d' % (n, octave + (1 if n.endswith("'") else 0)))
    notes = [n.replace("'", '') for n in notes[:32]]
    return sfx(speed, ' '.join(notes), wave=wave, volume=volume, effect=effect)


def drums(speed=12, kick='x . . . x . . . x . . . x . x .', hat='. . h . . . h . . . h . . . h h',
          snare='. . . . s . . . . . . . s . . .'):
    """Kick on the triangle with a drop, snare and hats on noise."""
    cells = []
    for k, h, s in zip((kick + ' ' + kick).split(), (hat + ' ' + hat).split(), (snare + ' ' + snare).split()):
        if k == 'x':
            cells.append('c2:0:6:3')
        elif s == 's':
            cells.append('d4:6:4:5')
        elif h == 'h':
            cells.append('c5:6:2:5')
        else:
            cells.append('.')
    return sfx(speed, ' '.join(cells))
