-- frames: 32
-- buttons: 3 o
-- buttons: 30 -
-- btnp is true on the tick of the press, 15 ticks later, then every 4 ticks
-- (30 fps, default delays); btn holds for player 0 when no player is given
local tick = 0
function _update()
  tick += 1
  if btnp(4) then printh("btnp " .. tick .. " " .. tostr(btn(4)) .. " " .. tostr(btn(4, 0))) end
  if btn(4) != btn(4, 0) then printh("default player differs at " .. tick) end
end
