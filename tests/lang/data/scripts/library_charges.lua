-- cycles charged by the library functions themselves: the cost of calling
-- f(...) less the cost of the same call to type, which charges nothing
local function cost(f, ...)
  local before = cycles()
  f(...)
  local after = cycles()
  return after - before
end
local function charge(f, ...) return cost(f, ...) - cost(type, ...) end
local function list(n) local t = {} for i = 1, n do t[i] = i end return t end

-- table functions: moving n elements spends n (2 cycles each, at least 2)
print(charge(add, {}, 1), charge(add, list(3), 9, 1), charge(add, list(3), 9, 4), charge(add, {}, 9, 1))
-- expect: 0 6 2 2
print(charge(del, list(3), 2), charge(del, list(3), 7), charge(del, {}, 1), charge(del, nil, 1))
-- expect: 6 6 2 0
print(charge(deli, list(3), 1), charge(deli, list(3)), charge(deli, list(3), 9))
-- expect: 4 2 0
print(charge(count, list(5)), charge(count, list(5), 1))
-- expect: 0 10
print(charge(pack, 1, 2, 3), charge(pack), charge(unpack, list(3)), charge(unpack, list(5), 2, 3))
-- expect: 12 2 12 8
print(charge(unpack, list(3), 3, 2), charge(unpack, list(3), 3, 1))
-- expect: 2 0

-- string functions
print(charge(sub, "hello world", 1, 10), charge(sub, "hello", 2, 4), charge(sub, "hello", 2, 1))
-- expect: 10 2 0
print(charge(chr, 65, 66, 67), charge(chr), charge(ord, "abc", 1, 3), charge(ord, "abc"), charge(ord, "abc", 1, 0))
-- expect: 6 2 6 2 0
print(charge(split, "a,b,c"), charge(split, ""), charge(split, 1234.5, 2))
-- expect: 10 2 12

-- conversions and numbers: tostr always 4, tonum 4 for text
print(charge(tostr, 1), charge(tostr), charge(tonum, "12"), charge(tonum, "zz"), charge(tonum, 12))
-- expect: 4 4 4 4 0
print(charge(sqrt, 4), charge(sqrt, -4), charge(abs, -1), charge(min, 1, 2), charge(cos, 0.1))
-- expect: 28 12 0 0 0
-- the bitwise functions and flr refund their argument count
print(charge(flr, 1.5), charge(flr), charge(band, 1, 2), charge(bnot, 1), charge(rotr, 1, 2, 3))
-- expect: -1 0 -2 -1 -3

-- the prelude's refund hook gives back 2 * flr(n), down to n = -17
print(charge(__refund_cpu__, -5), charge(__refund_cpu__, -17), charge(__refund_cpu__, -18), charge(__refund_cpu__, 1.5))
-- expect: -10 -34 0 2
print(charge(__refund_cpu__, -0.5), charge(__refund_cpu__), charge(__refund_cpu__, "x"))
-- expect: -2 0 0
