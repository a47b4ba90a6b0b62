-- frames: 20
-- a 60 fps program whose third update overruns drops to 30 and then
-- updates twice a frame, reading the buttons between the two updates
local frame = 0
function _update60()
  frame += 1
  printh("update " .. frame .. " at " .. stat(7) .. " t=" .. t())
  if frame == 3 then
    for j = 1, 10 do for i = 1, 20000 do end end
  end
end
function _draw()
  printh("draw at " .. stat(7))
  if frame >= 8 then stop() end
end
