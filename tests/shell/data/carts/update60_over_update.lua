-- frames: 8
-- with both _update60 and _update defined, the program runs at 60 fps and
-- only _update60 is called
local frames = 0
function _update() printh("_update called") end
function _update60()
  frames += 1
  printh("_update60 at " .. stat(7))
  if frames == 3 then stop() end
end
