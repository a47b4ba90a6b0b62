-- frames: 10
-- with one display, displays above 0 need 0x5f36 bit 0x01; with the bit
-- the request goes through (clamped) after a one-time note, and the
-- built-in loop still draws display 0 only
printh(tostr(_map_display(1)) .. " " .. stat(3) .. " " .. stat(11))
poke(0x5f36, 1)
printh(tostr(_map_display(1)) .. " " .. stat(3))
printh(tostr(_map_display(9)) .. " " .. stat(3))
printh(tostr(_map_display(0)) .. " " .. stat(3))
local draws = 0
function _draw()
  draws += 1
  printh("draw " .. draws .. " on display " .. stat(3))
  if draws == 2 then stop() end
end
