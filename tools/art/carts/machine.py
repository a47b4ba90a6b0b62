LABEL = dict(frames=60, buttons="0 -\n10 o\n12 -\n20 u\n22 -\n")


def build(labels):
    return {}
