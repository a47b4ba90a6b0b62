-- type, tostring, select, next, inext, pairs, ipairs, metatables, raw access
-- and assert
local function message(f, ...) local ok, e = pcall(f, ...) return e end
print(type(1), type("x"), type(nil), type({}), type(print), type(flr), type(cocreate(print)), type(true))
-- expect: number string nil table function function thread boolean
print(select('#', type()), __type(2))
-- expect: 0 number

print(tostring(1.5), tostring(nil), tostring(false), tostring("s"), tostring(-0.1))
-- expect: 1.5 nil false s -0.1
print(sub(tostring({}), 1, 9), sub(tostring(print), 1, 12), sub(tostring(flr), 1, 12))
-- expect: table: 0x function: 0x function: 0x
local t1, t2 = {}, {}
print(tostring(t1) == tostring(t1), tostring(t1) == tostring(t2))
-- expect: true false
local named = setmetatable({}, {__tostring = function(self) return "named" end})
print(tostring(named), __tostring__(named))
-- expect: named named
print(tostring(setmetatable({}, {__tostring = function() return 42 end})))
-- expect: 42
print(message(tostring, setmetatable({}, {__tostring = function() return {} end})))
-- expect: '__tostring' must return a string
print(message(tostring))
-- expect: bad argument #1 to 'tostring' (value expected)

print(select('#'), select('#', nil, nil), select(2, "a", "b", "c"))
-- expect: 0 2 b c
print(select(-1, "a", "b", "c"), select(-3, "a", "b", "c"))
-- expect: c a b c
print(select(5, "a", "b"), select("2", "a", "b"), select(2.7, "a", "b"))
-- expect: nil b b
print(message(select, 0, "a"), message(select, -3, "a", "b"))
-- expect: bad argument #1 to 'select' (index out of range) bad argument #1 to 'select' (index out of range)
print(message(select, "x"), message(select))
-- expect: bad argument #1 to 'select' (number expected, got string) bad argument #1 to 'select' (number expected, got no value)
print(__select('#', 1, 2, 3))
-- expect: 3

local t = {10, 20, x = 30}
print(next(t), next(t, 1), next(t, 2), next(t, "x"))
-- expect: 1 2 x nil
print(next({}), message(next, nil), message(next, t, "nope"))
-- expect: nil bad argument #1 to 'next' (table expected, got nil) invalid key to 'next'
print(inext(t, 0), inext(t, 1), inext(t, 2), inext(nil, 0), inext(t))
-- expect: 1 2 nil nil 1 10
local keys = ""
for k, v in pairs(t) do keys = keys .. tostring(k) .. "=" .. v .. " " end
print(keys .. "|")
-- expect: 1=10 2=20 x=30 |
local n = 0
for k in pairs(nil) do n += 1 end
for i in ipairs(nil) do n += 1 end
print(n, message(pairs, 5))
-- expect: 0 bad argument #1 to 'pairs' (table expected, got number)
local seen = ""
for i, v in ipairs({1, 2, nil, 4}) do seen = seen .. i .. ":" .. v .. " " end
print(seen .. "|")
-- expect: 1:1 2:2 |
-- ipairs reads raw, ignoring "__index"
local holes = setmetatable({1}, {__index = function() return 0 end})
n = 0
for i in ipairs(holes) do n += 1 end
print(n)
-- expect: 1
-- "__pairs" and "__ipairs" choose their own iteration
local custom = setmetatable({}, {
  __pairs = function(self) return function(_, k) if not k then return "only", 1 end end, self, nil end,
  __ipairs = function(self) return function(_, i) if i < 3 then return i + 1, "v" end end, self, 0 end,
})
for k, v in pairs(custom) do print(k, v) end
-- expect: only 1
seen = ""
for i, v in ipairs(custom) do seen = seen .. i .. v end
print(seen)
-- expect: 1v2v3v

local mt = {}
local object = {}
print(setmetatable(object, mt) == object, getmetatable(object) == mt, getmetatable("s"), getmetatable(1))
-- expect: true true nil nil
print(setmetatable(object, nil) == object, getmetatable(object))
-- expect: true nil
print(message(setmetatable, 1, mt), message(setmetatable, {}, 1))
-- expect: bad argument #1 to 'setmetatable' (table expected, got number) bad argument #2 to 'setmetatable' (nil or table expected)
local guarded = setmetatable({}, {__metatable = "locked"})
print(getmetatable(guarded), message(setmetatable, guarded, {}))
-- expect: locked cannot change a protected metatable
print(message(getmetatable))
-- expect: bad argument #1 to 'getmetatable' (value expected)

local eq = {__eq = function() return true end}
local e1, e2 = setmetatable({}, eq), setmetatable({}, eq)
print(e1 == e2, rawequal(e1, e2), rawequal(e1, e1), rawequal(1, 1), rawequal("a", "a"), rawequal(1, "1"))
-- expect: true false true true true false
print(message(rawequal, 1))
-- expect: bad argument #2 to 'rawequal' (value expected)
local sized = setmetatable({1, 2, 3}, {__len = function() return 9 end})
print(#sized, rawlen(sized), rawlen("abcd"), message(rawlen, 5))
-- expect: 9 3 4 bad argument #1 to 'rawlen' (table or string expected)
local logged = ""
local watched = setmetatable({}, {__index = function() return "default" end,
                                  __newindex = function(_, k) logged = logged .. k end})
print(watched.a, rawget(watched, "a"), rawset(watched, "a", 1) == watched, watched.a, logged == "")
-- expect: default nil true 1 true
watched.b = 2
print(logged, rawget(watched, "b"))
-- expect: b nil
print(message(rawget, 1, 2), message(rawset, {}, nil, 1), message(rawget, {}))
-- expect: bad argument #1 to 'rawget' (table expected, got number) table index is nil bad argument #2 to 'rawget' (value expected)

print(assert(1, "unused", 3))
-- expect: 1 unused 3
print(assert(0), select('#', assert("x", nil, nil)))
-- expect: 0 3
print(message(assert, false), message(assert, nil, "custom"), message(assert, false, 12))
-- expect: assertion failed! custom 12
print(message(assert, false, {}), message(assert))
-- expect: bad argument #2 to 'assert' (string expected, got table) bad argument #1 to 'assert' (value expected)
