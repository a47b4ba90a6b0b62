-- frames: 5
-- arithmetic on a missing field, two calls deep
local t = {}
local function total()
  return t.count + 1
end
function _update()
  total()
end
