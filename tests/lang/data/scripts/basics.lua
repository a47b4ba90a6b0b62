-- locals, globals, arithmetic on 16.16 numbers, strings and concatenation
local a, b = 3, 4
print(a + b, a - b, a * b, b / 2)
-- expect: 7 -1 12 2
x = 10
x += 5
print(x, -x, 7 \ 2, -7 % 3, 2 ^ 10)
-- expect: 15 -15 3 2 1024
print(1 / 0, 0x7fff.ffff + 0x0.0001)
-- expect: 32768 -32768
print("a" .. "b" .. 1 .. 2.5)
-- expect: ab12.5
print("10" + 5, "0x10" * 2)
-- expect: 15 32
print(1 & 3, 1 | 2, 5 ^^ 1, ~0, 1 << 4, 1 >> 1, 0x8000 >>> 1, 1 <<> 16)
-- expect: 1 3 4 -0 16 0.5 16384 0
print(not nil, not 0, nil == false, 1 == 1, "a" < "b", 2 <= 1)
-- expect: true false false true true false
print(#"hello", type(nil), type(print), type(flr), type({}))
-- expect: 5 nil function function table
local t = {1, 2, 3, n = "x"}
print(#t, t.n, t[2])
-- expect: 3 x 2
