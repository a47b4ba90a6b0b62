run = 1
printh(run)
