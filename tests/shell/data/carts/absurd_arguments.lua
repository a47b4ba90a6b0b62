-- frames: 3000
-- every registered global (and the prelude's friendly forms) called with
-- absurd arguments inside a coroutine, which catches the errors they are
-- allowed to raise; the console must survive and keep running frames.
-- stop and menuitem are left out: they stop the program on purpose.
local names = {
  "deli", "add", "del", "count", "pack", "unpack", "rnd", "srand", "ceil", "sgn", "abs", "mid", "cos", "sin",
  "sqrt", "atan2", "bnot", "flr", "band", "bor", "bxor", "shl", "shr", "lshr", "rotl", "rotr", "min", "max",
  "peek", "peek2", "peek4", "poke", "poke2", "poke4", "memcpy", "memset", "reload", "cstore",
  "reset", "camera", "clip", "cls", "color", "pset", "pget", "rect", "rectfill", "rrect", "rrectfill", "circ",
  "circfill", "oval", "ovalfill", "line", "pal", "palt", "fillp", "spr", "sspr", "tline", "map", "mapdraw",
  "mget", "mset", "fget", "fset", "sget", "sset", "print", "cursor", "printh", "tostr", "tonum", "music", "sfx",
  "serial", "sub", "chr", "ord", "split", "type", "next", "inext", "setmetatable", "getmetatable", "rawequal",
  "rawlen", "rawget", "rawset", "assert", "cocreate", "coresume", "yield", "costatus", "select", "trace",
  "tostring", "time", "t", "scoresub", "btn", "btnp", "_menuitem", "cartdata", "dget", "dset",
  "stat", "holdframe", "_startframe", "_get_menu_item_selected", "_update_buttons", "_update_framerate",
  "_set_mainloop_exists", "_set_fps", "_mark_cpu", "_map_display", "pairs", "ipairs", "all", "foreach",
  "load", "extcmd", "flip",
}
local huge, lowest = 0x7fff.ffff, -0x8000
local argument_sets = {
  {n = 0},
  {n = 3},
  {huge, huge, huge, huge, huge, huge, huge, huge, n = 8},
  {lowest, lowest, lowest, lowest, lowest, lowest, lowest, lowest, n = 8},
  {-1, -1, -1, -1, -1, -1, -1, -1, n = 8},
  {"x", "y", "z", "w", "v", "u", "s", "r", n = 8},
  {{}, {}, {}, {}, {}, {}, {}, {}, n = 8},
  {0, huge, -1, "12", {}, true, lowest, "0x7fff.ffff", n = 8},
}
local found, calls = 0, 0
for name in all(names) do
  local f = _ENV[name]
  if type(f) == "function" then
    found += 1
    for arguments in all(argument_sets) do
      local c = cocreate(function() f(unpack(arguments, 1, arguments.n)) end)
      coresume(c)
      calls += 1
    end
  end
end
reset()
poke(0x5f36, 0)
printh("called " .. calls .. " times, " .. tostr(found >= 120) .. " for the function count")
local frames = 0
function _update()
  frames += 1
  if frames == 3 then printh("still running") stop() end
end
