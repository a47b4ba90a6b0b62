-- frames: 30
-- buttons: 3 x
-- with auto-repeat switched off (0x5f5c = 255) btnp is true on the press tick only
poke(0x5f5c, 255)
local tick = 0
function _update()
  tick += 1
  if btnp(5) then printh("btnp " .. tick) end
  if tick == 25 then printh("held " .. tostr(btn(5))) end
end
