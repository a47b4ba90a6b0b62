-- frames: 30
-- a function that calls itself without end stops with an error instead of
-- taking the console down: its stack outgrows the memory limit first
local function deeper(n)
  return deeper(n + 1) + 1
end
function _update()
  deeper(1)
end
