-- coroutines: status, values both ways, yields across nested calls
local co = cocreate(function(a, b)
  print("start", a, b)
  local c = yield(a + b)
  print("got", c)
  local d, e = yield(c * 2)
  print("got", d, e)
  return "end", 99
end)
print(costatus(co))
-- expect: suspended
print(coresume(co, 1, 2))
-- expect: start 1 2
-- expect: true 3
print(costatus(co))
-- expect: suspended
print(coresume(co, 10))
-- expect: got 10
-- expect: true 20
print(coresume(co, "x", "y"))
-- expect: got x y
-- expect: true end 99
print(costatus(co))
-- expect: dead
print(coresume(co))
-- expect: false cannot resume dead coroutine
-- yield from a function called by the coroutine body
local function inner(n) for i = 1, n do yield(i) end return "inner done" end
local gen = cocreate(function() local r = inner(3) yield(r) end)
for i = 1, 5 do print(coresume(gen)) end
-- expect: true 1
-- expect: true 2
-- expect: true 3
-- expect: true inner done
-- expect: true
-- status seen from inside, and normal while resuming another
local outer
outer = cocreate(function()
  print("inside", costatus(outer))
  local nested = cocreate(function() print("outer is", costatus(outer)) end)
  coresume(nested)
end)
coresume(outer)
-- expect: inside running
-- expect: outer is normal
-- errors end the coroutine and come back as false
local bad = cocreate(function() local x = nil return x.y end)
print(coresume(bad))
-- expect: false attempt to index local 'x' (a nil value)
print(costatus(bad))
-- expect: dead
-- resuming a running coroutine fails
local self_resume
self_resume = cocreate(function() return coresume(self_resume) end)
print(coresume(self_resume))
-- expect: true false cannot resume non-suspended coroutine
-- a generic for driven by a coroutine iterator
local function range(n) local c = cocreate(function() for i = 1, n do yield(i) end end)
  return function() local ok, v = coresume(c) return v end end
local sum = 0
for v in range(4) do sum += v end
print(sum)
-- expect: 10
-- yield inside a for-in iterator written in Lua
local it = cocreate(function()
  for k in function(_, last) last = (last or 0) + 1 if last > 2 then return nil end yield("it" .. last) return last end do end
  return "over"
end)
print(coresume(it)) print(coresume(it)) print(coresume(it))
-- expect: true it1
-- expect: true it2
-- expect: true over
print(pcall(cocreate, 1))
-- expect: false bad argument #1 to 'cocreate' (function expected)
print(coresume(cocreate(function() pcall(yield) end)))
-- expect: true
-- a yield (not a tail call) inside an __index metamethod: the value given to
-- the next resume finishes the indexing, and the loop goes on afterwards
local lazy = setmetatable({}, {__index = function(t, k) local v = yield("need " .. k) return v * 2 end})
local reader = cocreate(function() local total = 0 for i = 1, 2 do total += lazy[i] end return total end)
print(coresume(reader)) print(coresume(reader, 5)) print(coresume(reader, 7))
-- expect: true need 1
-- expect: true need 2
-- expect: true 24
