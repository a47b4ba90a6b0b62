LABEL = dict(frames=10, buttons="0 -\n")

def build(labels):
    return {}
