-- frames: 2
-- the prelude's friendlier forms
printh(nil)
printh()
printh(12.5)
local t = {1, 2, 3, 4}
for v in all(t) do
  printh("all " .. v)
  if v == 2 then t[2] = t[3] t[3] = t[4] t[4] = nil end
end
for k, v in pairs(nil) do printh("never") end
for v in all(nil) do printh("never") end
local seen = 0
foreach({5, 6, 7}, function(v) seen += v end)
printh("foreach " .. seen)
menuitem(0x101, "first", function() end)
printh("menu " .. _pausemenu[1][1])
menuitem(6, "ignored")
printh("menu 6 " .. tostr(_pausemenu[6]))
