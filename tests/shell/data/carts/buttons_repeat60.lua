-- frames: 46
-- buttons: 3 o
-- at 60 fps btnp repeats at the same times in seconds as at 30 fps: the
-- press, 30 ticks later, then every 8 ticks
local tick = 0
function _update60()
  tick += 1
  if btnp(4) then printh("btnp " .. tick) end
end
