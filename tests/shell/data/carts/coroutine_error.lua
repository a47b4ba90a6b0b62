-- frames: 5
-- the coroutine's error comes back through coresume; asserting on it stops
-- the program with the coroutine's message
local function worker()
  yield()
  local n = nil
  return n.value
end
function _update()
  local c = cocreate(worker)
  coresume(c)
  assert(coresume(c))
end
