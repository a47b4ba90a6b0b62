-- frames: 10
-- _init once, then _update before _draw every frame
local frames = 0
function _init() printh("init") end
function _update() frames += 1 printh("update " .. frames) end
function _draw() printh("draw " .. frames) if frames == 3 then stop() end end
