-- less common paths: long constructors, nested native calls, odd callables
local big = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
  21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40,
  41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60}
print(#big, big[50], big[51], big[60])
-- expect: 60 50 51 60
local function many() return 1, 2, 3 end
local spread = {0, many()}
print(#spread, spread[4])
-- expect: 4 3
-- nesting native calls is limited; the error comes back through pcall
local function nest(n)
  if n == 0 then return "bottom" end
  local ok, v = pcall(nest, n - 1)
  return v
end
print(nest(50), nest(300))
-- expect: bottom C stack overflow
-- a __call handler that is itself a table is not callable
local inner = setmetatable({}, {__call = function() return "inner" end})
local outer = setmetatable({}, {__call = inner})
print(pcall(outer))
-- expect: false attempt to call a table value
-- tail calls through __call
local function tail_call_table() return inner() end
print(tail_call_table())
-- expect: inner
-- a method defined on a metatable reached through two __index levels
local Base = {}
Base.__index = Base
function Base.describe(self) return "base " .. self.name end
local Derived = setmetatable({}, {__index = Base})
Derived.__index = Derived
local object = setmetatable({name = "obj"}, Derived)
print(object:describe())
-- expect: base obj
-- upvalues shared between sibling closures created in the same call
local function pair()
  local shared = 0
  return function() shared += 1 end, function() return shared end
end
local bump, read = pair()
bump() bump() bump()
print(read())
-- expect: 3
-- closures created in a loop body with goto continue each keep their own local
local saved = {}
for i = 1, 4 do
  local v = i * 2
  if i % 2 == 0 then goto skip end
  saved[#saved + 1] = function() return v end
  ::skip::
end
print(saved[1](), saved[2]())
-- expect: 2 6
-- integer keys from arithmetic land on the same slots as literals
local slots = {}
slots[0.5 * 4] = "two"
print(slots[2], #slots)
-- expect: two 0
slots[1] = "one"
print(#slots)
-- expect: 2
-- comparison of mixed types is an error, equality is not
print(1 == "1", pcall(function() return 1 < "1" end))
-- expect: false false attempt to compare number with string
-- long concatenation chains
local parts = "a" .. 1 .. "b" .. 2 .. "c" .. 3 .. "d" .. 4 .. "e"
print(parts)
-- expect: a1b2c3d4e
