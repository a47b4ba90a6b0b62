-- add, del, deli, count, pack and unpack
local function message(f, ...) local ok, e = pcall(f, ...) return e end
local function show(t) local s = "" for i = 1, #t do s = s .. tostring(t[i]) .. ";" end return s end
local t = {}
print(add(t, 5), t[1], #t)
-- expect: 5 5 1
print(message(add, t, 5, 3))
-- expect: bad argument #2 to 'add' (position out of bounds)
print(message(add, t, 5, 0))
-- expect: bad argument #2 to 'add' (position out of bounds)
print(add(t, 6, nil), show(t))
-- expect: 6 5;6;
print(add(t, 4, 1), show(t))
-- expect: 4 4;5;6;
print(add(t, 7, 4), show(t))
-- expect: 7 4;5;6;7;
print(add(t, 9, "2.9"), show(t))
-- expect: 9 4;9;5;6;7;
-- a non-numeric position counts as 0
print(message(add, t, 1, "x"))
-- expect: bad argument #2 to 'add' (position out of bounds)
-- lenient: no table or no value gives nothing
print(select('#', add(nil, 1)), select('#', add(t)), select('#', add("s", 1)))
-- expect: 0 0 0
-- adding nil explicitly appends a nil (nothing visible)
print(select('#', add(t, nil)), #t)
-- expect: 1 5

t = {1, 2, 3, 2, 1}
print(del(t, 2), show(t))
-- expect: 2 1;3;2;1;
print(select('#', del(t, 7)), show(t))
-- expect: 0 1;3;2;1;
-- the type must match: the text "1" is not the number 1
print(select('#', del(t, "1")), show(t))
-- expect: 0 1;3;2;1;
print(select('#', del({}, 1)), select('#', del(t)), select('#', del(5, 1)))
-- expect: 0 0 0
-- every remaining element is visited once when deleting during a forward walk
t = {10, 20, 30, 40}
local visited = ""
local i = 1
while i <= #t do
  local v = t[i]
  visited = visited .. v .. " "
  if v == 20 then del(t, v) else i += 1 end
end
print(visited, show(t))
-- expect: 10 20 30 40  10;30;40;

t = {"a", "b", "c"}
print(deli(t), show(t))
-- expect: c a;b;
print(select('#', deli(t, nil)), show(t))
-- expect: 0 a;b;
print(deli(t, "1"), show(t))
-- expect: a b;
print(select('#', deli(t, 0)), select('#', deli(t, 2)), select('#', deli(t, {})), show(t))
-- expect: 0 0 0 b;
print(deli(t), show(t), select('#', deli(t)), select('#', deli("t")))
-- expect: b  0 0

t = {0, 1, 0, "0", 0}
print(count(t), #t, count(t, 0), count(t, "0"), count(t, 2))
-- expect: 5 5 3 1 0
print(count({}), select('#', count(nil)))
-- expect: 0 0

local p = pack(1, nil, 3)
print(p.n, p[1], p[2], p[3], #pack())
-- expect: 3 1 nil 3 0
print(pack().n)
-- expect: 0

t = {"a", "b", "c", "d"}
print(unpack(t))
-- expect: a b c d
print(unpack(t, 2))
-- expect: b c d
print(unpack(t, 2, 3))
-- expect: b c
print(unpack(t, -1, 1))
-- expect: nil nil a
print(select('#', unpack(t, 3, 2)), select('#', unpack({})), select('#', unpack("abc")))
-- expect: 0 0 0
print(unpack(t, nil, 2))
-- expect: a b
print(unpack(t, "3"))
-- expect: c d
print(message(unpack, t, "x"))
-- expect: bad argument #2 to 'unpack' (number expected, got string)
print(message(unpack, t, 1, {}))
-- expect: bad argument #3 to 'unpack' (number expected, got table)

-- the length comes from "__len"; the elements are read and written raw
local counted = setmetatable({1, 2, 3, 4}, {__len = function() return 2 end})
print(count(counted), unpack(counted))
-- expect: 2 1 2
add(counted, "x")
print(rawget(counted, 3), rawget(counted, 4))
-- expect: x 4
print(deli(counted), count(counted, 1))
-- expect: 2 1
local proxy = setmetatable({}, {__index = function(_, k) return k * 10 end, __newindex = function() end,
                                __len = function() return 2 end})
add(proxy, "raw")
print(rawget(proxy, 3), proxy[1])
-- expect: raw 10
print(message(count, setmetatable({}, {__len = function() return "many" end})))
-- expect: object length is not a number
print(count(setmetatable({}, {__len = function() return "3" end})))
-- expect: 3

-- tables compare with a shared "__eq"
local same = {__eq = function(a, b) return a.id == b.id end}
local a1, a2, a3 = setmetatable({id = 1}, same), setmetatable({id = 1}, same), setmetatable({id = 2}, same)
local other = setmetatable({id = 1}, {__eq = function() return true end})
t = {a3, a1, other}
print(count(t, a2), del(t, a2) == a1, #t)
-- expect: 1 true 2
print(count(t, {id = 2}))
-- expect: 0
