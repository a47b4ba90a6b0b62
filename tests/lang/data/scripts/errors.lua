-- run-time error messages name the variable involved
local function message(f, ...) local ok, e = pcall(f, ...) return e end
print(message(function() undefined_function() end))
-- expect: attempt to call global 'undefined_function' (a nil value)
print(message(function() local t = {} t.field.x = 1 end))
-- expect: attempt to index field 'field' (a nil value)
print(message(function() local t = {} t.method() end))
-- expect: attempt to call field 'method' (a nil value)
print(message(function() local t = {} t:method() end))
-- expect: attempt to call method 'method' (a nil value)
print(message(function(x) return x + 1 end))
-- expect: attempt to perform arithmetic on local 'x' (a nil value)
print(message(function() return {} + 1 end))
-- expect: attempt to perform arithmetic on a table value
print(message(function() local up = "a" return (function() return up + 1 end)() end))
-- expect: attempt to perform arithmetic on upvalue 'up' (a string value)
print(message(function() return 1 < nil end))
-- expect: attempt to compare number with nil
print(message(function() return {} < {} end))
-- expect: attempt to compare two table values
print(message(function() return "a" .. {} end))
-- expect: attempt to concatenate a table value
print(message(function(s) return #s end, nil))
-- expect: attempt to get length of local 's' (a nil value)
print(message(function() return undefined_global.x end))
-- expect: attempt to index global 'undefined_global' (a nil value)
print(message(function() local s = "abc" s[1] = "x" end))
-- expect: attempt to modify local 's' (strings are immutable)
print(message(function() ("abc")[1] = "x" end))
-- expect: attempt to modify constant 'abc' (strings are immutable)
print(message(function() local function f() return "abc" end f()[1] = "x" end))
-- expect: attempt to index a string value
print(message(function() local t = {} t[nil] = 1 end))
-- expect: table index is nil
print(message(function() for i = {}, 2 do end end))
-- expect: 'for' initial value must be a number
print(message(function() for i = 1, "x" do end end))
-- expect: 'for' limit must be a number
print(message(function() for i = 1, 2, nil do end end))
-- expect: 'for' step must be a number
print(message(function() local t = setmetatable({}, {}) getmetatable(t).__index = t return t.x end))
-- expect: loop in gettable
print(message(function() local t = setmetatable({}, {}) getmetatable(t).__newindex = t t.x = 1 end))
-- expect: loop in settable
print(message(function() error({code = 7}) end).code)
-- expect: 7
print(message(function() local function r() return 1 + r() end return r() end))
-- expect: stack overflow
print(message(function() yield() end))
-- expect: attempt to yield from outside a coroutine
print(message(function() local up = {} return (function() return up.a.b end)() end))
-- expect: attempt to index field 'a' (a nil value)
print(message(function() local up return (function() return up.a end)() end))
-- expect: attempt to index upvalue 'up' (a nil value)
not_a_function()
-- expect runtime error: attempt to call global 'not_a_function' (a nil value)
