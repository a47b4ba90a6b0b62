-- frames: 47
-- buttons: 3 64
-- buttons: 4 -
-- buttons: 6 d
-- buttons: 7 -
-- buttons: 9 l
-- buttons: 10 -
-- buttons: 13 r
-- buttons: 14 -
-- buttons: 16 d
-- buttons: 17 -
-- buttons: 19 l
-- buttons: 20 -
-- buttons: 22 o
-- buttons: 23 -
-- buttons: 25 64
-- buttons: 26 -
-- buttons: 27 d
-- buttons: 28 -
-- buttons: 29 d
-- buttons: 30 -
-- buttons: 31 d
-- buttons: 32 -
-- buttons: 33 x
-- buttons: 34 -
-- buttons: 35 r
-- buttons: 36 -
-- buttons: 38 d
-- buttons: 39 -
-- buttons: 40 o
-- buttons: 41 -
-- buttons: 43 r
-- buttons: 44 -
-- Cartridge items report left (1), right (2) and O/X (0x70) with their filter
-- bits removed (item 2 ignores left, item 3 ignores X); left, right or a true
-- result keep the menu open with the same item selected, so reports that
-- follow each other come without an update in between; other reports let
-- the program go on, and the pause button opens the menu again.
local updates = 0
local function report(name)
  return function(value)
    printh(name .. " " .. value .. " after " .. updates .. " updates")
    return name == "item4"
  end
end
menuitem(1, "plain", report("item1"))
menuitem(0x302, "no left right", report("item2"))
menuitem(0x7003, "no o x", report("item3"))
menuitem(4, "stays", report("item4"))
function _update() updates += 1 end
function _draw() end
