-- frames: 2
-- the natives the prelude captures are gone from the program's view, and
-- the prelude's wrappers over them still work
local visible = 0
for _ in pairs({__refund_cpu__, __pairs__, __ipairs__, __type, __tostr, __stop, __print,
  __printh, __tostring__, __load, __extcmd, __yielded_to_escape_slice, __coresume, __select,
  __superyield, __flip}) do visible += 1 end
printh("visible natives: " .. visible)
printh(type(__pairs__) .. " " .. type(__flip) .. " " .. type(__stop))
for k, v in pairs({a = 1}) do printh(k .. v) end
for i, v in ipairs({5}) do printh(i .. v) end
printh(tostr(12.5) .. " " .. type(print) .. " " .. type(flip))
local c = cocreate(function(x) yield(x + 1) end)
local ok, v = coresume(c, 4)
printh(tostr(ok) .. " " .. v)
foreach({7}, function(x) printh(x) end)
