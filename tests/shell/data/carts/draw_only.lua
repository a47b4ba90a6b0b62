-- frames: 20
-- a program with only _draw runs at 30 frames a second
function _draw()
  printh(stat(7) .. " " .. stat(8) .. " " .. t())
  if t() >= 0.2 then stop() end
end
