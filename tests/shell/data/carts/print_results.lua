-- frames: 4
-- print's results, its text for values that are not strings, and the pen
-- colour and cursor it leaves behind
function show(...) local t = pack(...) local s = "" for i = 1, t.n do s = s .. tostr(t[i]) .. " " end printh(s) end
-- the pixels of a 24 x 6 box as text, to compare two printed lines
function picture(x, y)
  local s = ""
  for py = y, y + 5 do for px = x, x + 23 do s = s .. tostr(pget(px, py)) end end
  return s
end
function ink(x, y)
  local n = 0
  for py = y, y + 5 do for px = x, x + 23 do n += pget(px, py) end end
  return n > 0
end
cls()
show("hi", print("hi", 0, 0))
show("nil", print(nil, 0, 10))
print("[nil]", 40, 10)
show("nil text", picture(0, 10) == picture(40, 10))
show("true", print(true, 0, 20))
print("true", 40, 20)
show("true text", picture(0, 20) == picture(40, 20))
show("false", print(false, 0, 30))
show("third", print(1/3, 0, 40))
print("0.3333", 40, 40)
show("number text", picture(0, 40) == picture(40, 40))
show("table", print({}, 0, 50))
show("colour", print("a", 0, 60, 9), color())
show("ink", ink(0, 60))
cls()
cursor(0, 0, 7)
show("at cursor", print("ab"))
show("cursor moved", cursor())
show("no arguments", select("#", print()))
show("wide and tall", print("\^w\^thi", 0, 80))
show("before wait", ink(0, 100))
show("waiting", select("#", print("\^1hi", 0, 100)))
show("after wait", ink(0, 100))
?"shorthand",0,110
show("shorthand", ink(0, 110), ink(0, 120))
