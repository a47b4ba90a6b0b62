-- frames: 5
-- an assert without a message of its own, after one caught inside a
-- coroutine: only the failure that stopped the program is told
local c = cocreate(function() assert(false, "caught and forgotten") end)
printh(tostr(coresume(c)))
function _update()
  assert(nil)
end
