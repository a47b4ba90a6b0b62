-- frames: 3
-- channel 0x808 queues samples for the mixer (stat 108 counts them, the
-- ring keeps 2048); low channels reach 0x5f80.. when the frame ends
for i = 0, 99 do poke(0x4300 + i, 128 + i) end
printh("queued " .. serial(0x808, 0x4300, 100) .. " " .. stat(108))
printh("half " .. serial(0x808, 0x4300, 0.5) .. " " .. stat(108))
printh("overflow " .. serial(0x808, 0x4300, 3000) .. " " .. stat(108))
printh("repeat " .. serial(0x808, 0x4300, 10, 0) .. " " .. stat(108))
poke(0x4400, 11, 22)
printh("pins " .. serial(3, 0x4400, 2))
printh("before flip " .. peek(0x5f83))
flip()
printh("after flip " .. peek(0x5f83))
