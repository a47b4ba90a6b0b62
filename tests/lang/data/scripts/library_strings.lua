-- sub, chr, ord and split
local function show(t)
  local s = ""
  for i = 1, #t do s = s .. type(t[i]) .. ":" .. tostring(t[i]) .. ";" end
  return s
end
print(sub("hello", 2, 4), sub("hello", -3), "[" .. sub("hello", 2, 1) .. "]", sub("hello", 0))
-- expect: ell llo [] hello
print(sub("hello", 2), sub("hello", -100, 2), sub("hello", 4, 100), sub("hello", 2, -2))
-- expect: ello he lo ell
print("[" .. sub("hello", 6) .. "]", "[" .. sub("hello", 3, 0) .. "]", "[" .. sub("", 1) .. "]")
-- expect: [] [] []
-- one argument starts at 1; a nil start counts as 0
print(sub("hello"), sub("hello", nil, 2), sub("hello", "2", 3))
-- expect: hello he el
-- the end is used only when it is a number
print(sub("hello", 2, "3"), sub("hello", 2, nil), sub("hello", 1.9, 2.9))
-- expect: ello ello he
print(sub(12345, 2, 3), sub(-1.5, 1, 2))
-- expect: 23 -1
print(select('#', sub(nil, 1)), select('#', sub({}, 1)), select('#', sub(true)))
-- expect: 0 0 0

print(chr(65, 321), #chr(65, 321), "[" .. chr() .. "]")
-- expect: AA 2 []
print(chr(104, "105", 33.9), #chr(nil, "x", {}), ord(chr(nil)), ord(chr(-1)))
-- expect: hi! 3 0 255

print(ord("abc"), ord("abc", 2, 2))
-- expect: 97 98 99
print(ord("abc", 4), ord("abc", 0), ord("abc", -1), ord("abc", nil))
-- expect: nil nil nil nil
print(ord("abc", 2, 4))
-- expect: 98 99 nil nil
print(select('#', ord("abc", 1, 0)), select('#', ord("abc", 1, 0.5)), select('#', ord("abc", 1, -3)))
-- expect: 0 0 0
print(ord(123, 2), ord({}), ord(nil, 1, 2), ord("\255"))
-- expect: 50 nil nil 255

print(show(split("1,2,,x")))
-- expect: number:1;number:2;string:;string:x;
print(show(split("1,2,,x", ",", false)))
-- expect: string:1;string:2;string:;string:x;
print(show(split("1,2,,x", ",", nil)), show(split("1,2", ",", 0)))
-- expect: string:1;string:2;string:;string:x; number:1;number:2;
print(show(split("abcde", 2)), show(split("abcde", 10)), show(split("abcde", -1)))
-- expect: string:ab;string:cd;string:e; string:abcde; string:a;string:b;string:c;string:d;string:e;
print(show(split("1234", 2)), show(split("1234", 2, false)))
-- expect: number:12;number:34; string:12;string:34;
print(#split("", 2), #split("", ""), #split(""), show(split("")))
-- expect: 0 0 1 string:;
print(show(split("a1 0", "")), show(split("12", "", false)))
-- expect: string:a;number:1;string: ;number:0; string:1;string:2;
print(show(split(",a,,", ",")), show(split("a;b", ";x")), show(split("a;b", {})))
-- expect: string:;string:a;string:;string:; string:a;string:b; string:a;b;
print(show(split("0x10|1.5| 2 |z", "|")))
-- expect: number:16;number:1.5;number:2;string:z;
print(show(split(1.25, ".")), show(split("a2b", 2)))
-- expect: number:1;number:25; string:a2;string:b;
-- a separator of 257 bytes or more falls back to a comma
local long = "," for i = 1, 8 do long = long .. long end
print(#long, show(split("a,b;c", ";" .. sub(long, 2))), show(split("a,b;c", ";" .. long)))
-- expect: 256 string:a,b;string:c; string:a;string:b;c;
print(select('#', split(nil)), select('#', split({})))
-- expect: 0 0
