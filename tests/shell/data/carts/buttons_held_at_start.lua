-- frames: 12
-- buttons: 0 o
-- buttons: 5 -
-- buttons: 8 o
-- a button held while the program starts reads as up until it is released
-- and pressed again
local tick = 0
function _update()
  tick += 1
  printh(tick .. " " .. tostr(btn(4)) .. " " .. tostr(btnp(4)))
end
