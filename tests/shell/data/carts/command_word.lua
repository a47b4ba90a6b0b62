cd nowhere
