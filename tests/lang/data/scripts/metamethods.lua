-- every metamethod event, with Lua and native handlers
local V = {}
V.__index = V
local function vec(x, y) return setmetatable({x = x, y = y}, V) end
function V.__add(a, b) return vec(a.x + b.x, a.y + b.y) end
function V.__sub(a, b) return vec(a.x - b.x, a.y - b.y) end
function V.__mul(a, b) if type(b) == "number" then return vec(a.x * b, a.y * b) end return a.x * b.x + a.y * b.y end
function V.__div(a, b) return "div" end
function V.__mod(a, b) return "mod" end
function V.__pow(a, b) return "pow" end
function V.__unm(a) return vec(-a.x, -a.y) end
function V.__idiv(a, b) return "idiv" end
function V.__and(a, b) return "and" end
function V.__or(a, b) return "or" end
function V.__xor(a, b) return "xor" end
function V.__shl(a, b) return "shl" end
function V.__shr(a, b) return "shr" end
function V.__lshr(a, b) return "lshr" end
function V.__rotl(a, b) return "rotl" end
function V.__rotr(a, b) return "rotr" end
function V.__not(a, b) return "not " .. b end
function V.__peek(a, b) return "peek " .. b end
function V.__peek2(a, b) return "peek2" end
function V.__peek4(a, b) return "peek4" end
function V.__concat(a, b)
  if type(a) == "table" then a = "v" .. a.x end
  if type(b) == "table" then b = "v" .. b.x end
  return a .. b
end
function V.__len(a) return 42 end
function V.__eq(a, b) return a.x == b.x end
function V.__lt(a, b) return a.x < b.x end
function V.__le(a, b) return a.x <= b.x end
function V.__call(self, k) return "called " .. self.x .. " " .. k end
function V.len2(self) return self.x * self.x + self.y * self.y end
local a, b = vec(1, 2), vec(3, 4)
local c = a + b
print(c.x, c.y, (b - a).x, a * b, (a * 2).y, -a.x, (-a).y)
-- expect: 4 6 2 11 4 -1 -2
print(a / b, a % b, a ^ b, a \ b, a & b, a | b, a ^^ b)
-- expect: div mod pow idiv and or xor
print(a << 1, a >> 1, a >>> 1, a <<> 1, a >>< 1, ~a, @a, %a, $a)
-- expect: shl shr lshr rotl rotr not 0 peek 0 peek2 peek4
print(a .. "!", "!" .. b, a .. b, 1 .. a .. 2)
-- expect: v1! !v3 v1v3 1v12
print(#a, a == vec(1, 9), a ~= vec(1, 9), a == b, a < b, a <= b, a > b, a >= b)
-- expect: 42 true false false true true false false
print(a("k"), a:len2())
-- expect: called 1 k 5
-- __le falls back to not __lt with swapped operands
local L = {__lt = function(x, y) return x.v < y.v end}
local p, q = setmetatable({v = 1}, L), setmetatable({v = 2}, L)
print(p <= q, q <= p, p <= p)
-- expect: true false true
-- __eq is only used between two tables, and only with the same handler
local E1 = {__eq = function() return true end}
local E2 = {__eq = function() return true end}
print(setmetatable({}, E1) == setmetatable({}, E1), setmetatable({}, E1) == setmetatable({}, E2), setmetatable({}, E1) == 1)
-- expect: true false false
-- __index and __newindex functions and tables
local log = {}
local proxy = setmetatable({}, {
  __index = function(t, k) return k .. "?" end,
  __newindex = function(t, k, v) rawset(t, k, v * 2) end})
proxy.a = 5
print(proxy.a, proxy.b, rawget(proxy, "b"))
-- expect: 10 b? nil
local base = {greet = "hi"}
local mid = setmetatable({}, {__index = base})
local top = setmetatable({}, {__index = mid})
print(top.greet, top.missing)
-- expect: hi nil
local store = {}
local forward = setmetatable({}, {__newindex = store})
forward.k = 1
print(rawget(forward, "k"), store.k)
-- expect: nil 1
-- a native function as a metamethod
local nat = setmetatable({}, {__index = type})
print(nat.x)
-- expect: table
-- a fast function as __index receives the table and key
print(setmetatable({}, {__index = max})[5])
-- expect: 5
-- metamethods on the right operand
print(2 + setmetatable({}, {__add = function(x, y) return x end}))
-- expect: 2
-- __call with extra arguments and multiple results
local callable = setmetatable({}, {__call = function(self, ...) return ... end})
print(callable(1, 2, 3))
-- expect: 1 2 3
-- metamethods that yield inside a coroutine
local Y = {__add = function(x, y) return yield("in add") end}
local co = cocreate(function() return setmetatable({}, Y) + 1 end)
print(coresume(co))
-- expect: true in add
print(coresume(co, 99))
-- expect: true 99
