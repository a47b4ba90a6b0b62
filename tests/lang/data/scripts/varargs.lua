-- varargs, multiple results and multiple assignment
local function pack2(...) return select('#', ...), ... end
print(pack2())
-- expect: 0
print(pack2(1, nil, 3))
-- expect: 3 1 nil 3
local function three() return 1, 2, 3 end
local a, b, c, d = three()
print(a, b, c, d)
-- expect: 1 2 3 nil
local t = {three(), three()}
print(#t)
-- expect: 4
local u = {three(), (three())}
print(#u)
-- expect: 2
print((three()))
-- expect: 1
local function skip(first, ...) return ... end
print(skip(1, 2, 3))
-- expect: 2 3
local x, y = 1, 2
x, y = y, x
print(x, y)
-- expect: 2 1
local p = {}
local i = 1
i, p[i] = i + 1, 20
print(i, p[1], p[2])
-- expect: 2 20 nil
print(select(2, "a", "b", "c"))
-- expect: b c
print(select(-1, "a", "b", "c"))
-- expect: c
local function count(...) local n = select('#', ...) return n end
print(count(three()), count(three(), 4), count(nil, nil))
-- expect: 3 2 2
print(unpack({1, 2, 3}))
-- expect: 1 2 3
