LABEL = dict(frames=100, buttons="0 -\n20 r\n50 ro\n70 l\n80 -\n90 u 0 x 0 d 0 0 l\n")


def build(labels):
    return {}
