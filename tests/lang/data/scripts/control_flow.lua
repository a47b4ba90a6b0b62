-- loops, goto and numeric for edge cases
local total = 0
for i = 1, 10 do total += i end
print(total)
-- expect: 55
for i = 10, 1, -3 do print(i) end
-- expect: 10
-- expect: 7
-- expect: 4
-- expect: 1
local n = 0
for i = 1, 10, 0 do n += 1 end
print(n)
-- expect: 0
n = 0
for i = 32760, 32767 do n += 1 end
print(n)
-- expect: 8
n = 0
-- the overflow guard makes this the only iteration
for i = 0x7fff.fffe, 0x7fff.ffff, 0x0.0001 do n += 1 end
print(n)
-- expect: 1
for i = "1", "2" do print(i) end
-- expect: 1
-- expect: 2
for i = 1, 3 do
  if i == 2 then goto continue end
  print("i", i)
  ::continue::
end
-- expect: i 1
-- expect: i 3
local k = 0
::top::
k += 1
if k < 5 then goto top end
print(k)
-- expect: 5
local r = 0
repeat local z = r r += 1 until z >= 3
print(r)
-- expect: 4
while true do r -= 1 if r < 0 then break end end
print(r)
-- expect: -1
local keys = {}
for key, value in pairs({10, 20, 30}) do keys[#keys + 1] = key .. "=" .. value end
print(keys[1], keys[2], keys[3])
-- expect: 1=10 2=20 3=30
for index, value in ipairs({"a", "b", nil, "d"}) do print(index, value) end
-- expect: 1 a
-- expect: 2 b
print(1 and 2, nil and 1, false or "x", nil or false)
-- expect: 2 nil x false
