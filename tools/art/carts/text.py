LABEL = dict(frames=30, buttons="0 -\n")


def build(labels):
    return {}
