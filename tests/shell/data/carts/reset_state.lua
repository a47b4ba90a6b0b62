-- frames: 2
-- reset() restores the run-start draw state and seeds the random
-- generator as a cartridge start does (the test runs have a fixed seed)
function show(...) local t = pack(...) local s = "" for i = 1, t.n do s = s .. tostr(t[i]) .. " " end printh(s) end
local first = rnd()
srand(99)
camera(5, 6) color(9) pal(7, 1) fillp(0x5a5a) clip(1, 2, 3, 4)
reset()
show("same random numbers", rnd() == first)
show("camera", camera())
show("pen", color())
show("palette", pal(7, 7))
show("pattern", fillp())
show("clip", clip())
