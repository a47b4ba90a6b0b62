-- frames: 5
-- without board cartridges stat(107) stays 0 and load has no native
-- result to pass on: the wrapper answers "access denied" after its flip
printh(stat(107))
local ok, message = load("#12345")
printh(tostr(ok) .. " " .. tostr(message))
printh(tostr(extcmd("go_back")))
