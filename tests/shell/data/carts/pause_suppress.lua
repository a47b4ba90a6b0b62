-- frames: 20
-- buttons: 3 64
-- buttons: 5 -
-- buttons: 8 64
-- buttons: 10 -
-- With 0x5f30 set the first pause press is swallowed and the byte reads 0
-- afterwards; the second press opens the menu and the updates stop.
poke(0x5f30, 1)
local updates, last = 0
function _update()
  updates += 1
  local suppress = peek(0x5f30)
  if suppress ~= last then printh("0x5f30 reads " .. suppress) last = suppress end
  printh("update " .. updates)
end
