-- frames: 2
-- print(nil) prints "[nil]" (as wide as the text itself); print() prints
-- nothing and returns nothing
cls()
local x_nil = print(nil, 0, 0, 7)
local x_text = print("[nil]", 0, 10, 7)
printh(tostr(x_nil == x_text) .. " " .. x_nil)
local same = true
for y = 0, 5 do for x = 0, 24 do if pget(x, y) != pget(x, y + 10) then same = false end end end
printh("same pixels " .. tostr(same))
printh(select("#", print()))
