-- frames: 2
-- srand(0) seeds like 0xdeadbeef (the first number is pinned); rnd of an
-- empty table and rnd(0) give nil and 0 without advancing the generator;
-- rnd of a table picks one of its elements
srand(0)
printh(tostr(rnd(), true))
srand(1)
local first = rnd()
srand(1)
printh(tostr(rnd({})) .. " " .. rnd(0))
printh(tostr(rnd() == first))
local picked = {}
for i = 1, 200 do picked[rnd({7, 8, 9})] = true end
printh(tostr(picked[7] and picked[8] and picked[9] and #picked == 0))
printh(rnd({5}))
