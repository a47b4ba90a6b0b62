-- string indexing and table keys
local s = "abc"
print(s[2], s[-1], s[0], s[4], s["len"], s["2"], s[1.9], s[-3], s[-4])
-- expect: b c nil nil nil b a a nil
print(pcall(function() return s:len() end))
-- expect: false attempt to call method 'len' (a nil value)
local t = {}
t[1] = "one" t[2] = "two" t[3] = "three" t[1.5] = "half"
print(#t, t[1.5], t[3])
-- expect: 3 half three
t[1.0] = "ONE"
print(t[1], t[0x1.0000])
-- expect: ONE ONE
t[-1] = "minus" t[0] = "zero"
print(t[-1], t[0], #t)
-- expect: minus zero 3
local keys = {}
for k in pairs({10, 20, 30, x = 1}) do keys[#keys + 1] = k end
print(keys[1], keys[2], keys[3], keys[4])
-- expect: 1 2 3 x
local holes = {1, 2, nil, 4}
print(#holes)
-- expect: 4
local grow = {}
for i = 1, 100 do grow[i] = i end
print(#grow, grow[100])
-- expect: 100 100
for i = 1, 100 do grow[i] = nil end
print(#grow, next(grow))
-- expect: 0 nil
local mixed = {}
mixed[true] = "t" mixed[false] = "f" mixed[print] = "p" mixed[flr] = "fast" mixed[mixed] = "self"
print(mixed[true], mixed[false], mixed[print], mixed[flr], mixed[mixed])
-- expect: t f p fast self
print(-32768 == 0x8000, ({[-32768] = "min"})[0x8000])
-- expect: true min
local count = 0
local many = {}
for i = 1, 200 do many["k" .. i] = i end
for k, v in pairs(many) do count += v end
print(count)
-- expect: 20100
for i = 1, 200, 2 do many["k" .. i] = nil end
count = 0
for k, v in pairs(many) do count += 1 end
print(count)
-- expect: 100
print(#"", "a" == "a", "ab" < "abc", "b" > "abc", "" < "a")
-- expect: 0 true true true true
print(("x").rep)
-- expect: nil
-- an array part grown step by step keeps every value; the lowest key lives
-- in the hash part even when the array part has 32768 slots
local big = {}
for i = 1, 32767 do big[i] = i end
big[-32768] = "lowest"
local total = 0
for i = 1, 32767, 1000 do if big[i] == i then total += 1 end end
print(#big, big[-32768], big[32767], total, big[0])
-- expect: 32767 lowest 32767 33 nil
