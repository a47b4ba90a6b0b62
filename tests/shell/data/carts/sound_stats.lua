-- frames: 3
-- sfx and music through the language, read back with stat
-- effects 1 and 2: one triangle note of pitch 33 and volume 5 at speed 16;
-- pattern 0 plays effect 2 on track 0 and nothing on the others
poke2(0x3200 + 68, 0x0a21) poke(0x3200 + 68 + 65, 16)
poke2(0x3200 + 136, 0x0a21) poke(0x3200 + 136 + 65, 16)
poke(0x3100, 2, 0x41, 0x42, 0x43)
printh("before " .. stat(16) .. " " .. stat(24) .. " " .. tostr(stat(57)))
music(0)
printh("music " .. stat(24) .. " " .. stat(25) .. " " .. stat(16) .. " " .. tostr(stat(57)))
printh("sfx " .. sfx(1, 2) .. " " .. stat(18) .. " " .. stat(22) .. " " .. stat(19))
-- playing effect 1 again stops it on channel 2 and picks the first free
-- channel whose music partner is quiet
printh("again " .. sfx(1) .. " " .. stat(16) .. " " .. stat(17) .. " " .. stat(18))
printh("stop " .. sfx(-1) .. " " .. stat(16) .. " " .. stat(17))
printh("nothing " .. select("#", sfx()) .. " " .. select("#", sfx(1, 4)) .. " " .. select("#", sfx(1, -3)))
music(-1)
printh("after " .. stat(24) .. " " .. stat(16) .. " " .. tostr(stat(57)))
