-- frames: 4
-- buttons: 3 lx r
-- btn() packs players 0 and 1 as bit 8*p+b; the button is clamped to 0..7
-- and a player outside 0..7 reads false
function _update()
  printh(btn() .. " " .. tostr(btn(0)) .. " " .. tostr(btn(1, 1)) .. " " .. tostr(btn(9)) .. " " ..
         tostr(btn(0, 8)) .. " " .. tostr(btn(-1)) .. " " .. tostr(btn(0, -1)) .. " " .. tostr(btnp(5)))
end
