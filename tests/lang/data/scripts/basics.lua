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
-- % and / on run-time operands: the loop's own common cases and the rest
local operands = {{7.5, 2}, {-7, 2}, {7, -2}, {0, 5}, {-32768, 3}, {32767.5, 0.25}, {6, 1.5}}
for _, pair in ipairs(operands) do
  local a, b = pair[1], pair[2]
  print(a % b, a / b)
end
-- expect: 1.5 3.75
-- expect: 1 -3.5
-- expect: 1 -3.5
-- expect: 0 0
-- expect: 1 -10922.6667
-- expect: 0 32768
-- expect: 0 4
local zero = 0
print(5 % zero, -5 % zero)
-- expect: 0 0
