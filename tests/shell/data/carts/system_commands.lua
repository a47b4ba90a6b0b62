-- frames: 20
-- system commands called by a running program: in execute mode their
-- console lines go to standard output; refusals return false.
printh(tostr(load("#demo")))
printh(tostr(load("no_such_cart")))
save("c:d")
save("-lead")
cd()
cd("../..")
cd("nowhere")
mkdir()
ls()
help("<gfx>")
help("nonsense")
login()
splore()
printh(tostr(extcmd("set_filename", "a.b.c")))
stop()
