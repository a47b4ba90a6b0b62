-- frames: 2
-- menuitem keeps strings of up to 63 characters; nil, a longer string or
-- another kind of value empties the slot. The pause menu's rectangle (stat
-- 12..15) grows by 4 pixels up and down per item.
local function shown(what) printh(what .. ": " .. stat(12) .. " " .. stat(13) .. " " .. stat(14) .. " " .. stat(15)) end
local sixteen = "0123456789abcdef"
shown("no items")
menuitem(1, "one")
shown("item 1")
menuitem(1, nil)
shown("item 1 nil")
menuitem(1, sub(sixteen .. sixteen .. sixteen .. sixteen, 1, 63))
shown("63 characters")
menuitem(1, sixteen .. sixteen .. sixteen .. sixteen)
shown("64 characters")
menuitem(0x205, "five")
shown("item 5 with a filter")
menuitem(5, 12)
shown("item 5 number")
menuitem(6, "six")
shown("item 6")
menuitem(0, "zero")
shown("item 0")
