-- frames: 5
-- without board cartridges stat(107) stays 0: a board name ("#...") is
-- refused by the native load, whose false the wrapper passes on alone
printh(stat(107))
local ok, message = load("#12345")
printh(tostr(ok) .. " " .. tostr(message))
printh(tostr(extcmd("go_back")))
