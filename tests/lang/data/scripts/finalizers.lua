-- finalizers run once for tables that had "__gc" when their metatable was set
local log = {}
local mt = {__gc = function(o) log[#log + 1] = o.name end}
do local a = setmetatable({name = "a"}, mt) end
local b = setmetatable({name = "b"}, mt)
collect()
print(#log, log[1])
-- expect: 1 a
b = nil
collect()
print(#log, log[2])
-- expect: 2 b
-- a finalizer may keep its object alive; it still runs only once
local saved
local runs = 0
local r = setmetatable({name = "r"}, {__gc = function(o) runs += 1 saved = o end})
r = nil
collect()
print(saved.name, runs)
-- expect: r 1
saved = nil
collect()
collect()
print(runs)
-- expect: 1
-- "__gc" added to the metatable afterwards does not count
local late_runs = 0
local late_mt = {}
do local l = setmetatable({}, late_mt) end
late_mt.__gc = function() late_runs += 1 end
collect()
print(late_runs)
-- expect: 0
-- an error in a finalizer is raised by the collection that ran it, wrapped;
-- the finalizers still queued run at the next collection
local later_runs = 0
print(pcall(function()
  do local e = setmetatable({}, {__gc = function() error("broken") end}) end
  collect()
end))
-- expect: false error in __gc metamethod (broken)
print(pcall(function()
  do local e = setmetatable({}, {__gc = function() error({}) end}) end
  collect()
end))
-- expect: false error in __gc metamethod (no message)
do local fine = setmetatable({}, {__gc = function() later_runs += 1 end}) end
collect()
print("after error", later_runs)
-- expect: after error 1
-- objects a finalizer refers to are still intact when it runs
local seen
do
  local child = {value = 42}
  local parent = setmetatable({child = child}, {__gc = function(o) seen = o.child.value end})
end
collect()
print(seen)
-- expect: 42
