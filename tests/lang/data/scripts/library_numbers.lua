-- tostr, tonum and the numeric functions as cartridges call them
print(tostr(1.5), tostr(1.5, true), tostr(1.5, 1), tostr(1.5, 3), tostr(1, 2), tostr(-1, 2))
-- expect: 1.5 0x0001.8000 0x0001.8000 0x00018000 65536 -65536
print(tostr(1.5, false), tostr(1.5, "1"), tostr(-0.5, 1), tostr(255, 0x1.8))
-- expect: 1.5 0x0001.8000 0xffff.8000 0x00ff.0000
print("[" .. tostr() .. "]", tostr(nil), tostr(true), tostr("text", 1), tostr({}), tostr(print))
-- expect: [] [nil] true text [table] [function]
print(__tostr(2, 1), select('#', tostr(nil)))
-- expect: 0x0002.0000 1

print(tonum("0x10"), tonum("0b101.1"), tonum("1e3"), tonum(" 12 "), tonum(7), tonum("-0.5"))
-- expect: 16 5.5 1000 12 7 -0.5
print(select('#', tonum("12abc")), tonum("12abc", 4), select('#', tonum({})), select('#', tonum()))
-- expect: 0 0 0 0
print(tonum("ff", 1), tonum("ffff", 3), tonum("ffff", 3) == 0x0.ffff, tonum("fz", 1))
-- expect: 255 1 true 240
print(tonum("65536", 2) == 1, tonum("-1", 2) == -0x0.0001, tonum("x", 2))
-- expect: true true 0
print(tonum(true), tonum(false), tonum(true, 2) == 0x0.0001)
-- expect: 1 0 true

-- the numeric functions are fast functions reading their arguments leniently
print(flr(2.7), flr(-2.5), flr(), flr("3.9"), flr({}), ceil(2.1), ceil(-2.9), ceil(32767.5))
-- expect: 2 -3 0 3 0 3 -2 -32768
print(abs(-3), abs(-32768) == 0x7fff.ffff, sgn(-2), sgn(0), sgn())
-- expect: 3 true -1 1 1
print(min(3, 1), min(5), max(-5), max(2, "7"), mid(5, 1, 3), mid(1, 9), mid())
-- expect: 1 0 0 7 3 1 0
print(sqrt(16), sqrt(2), sqrt(-4), sqrt())
-- expect: 4 1.4142 0 0
print(cos(0), cos(0.5), sin(0.25), sin(0), cos(1.25))
-- expect: 1 -1 -1 0 0
print(atan2(1, 0), atan2(0, -1), atan2(-1, 0), atan2(0, 1), atan2(1, -1), atan2())
-- expect: 0 0.25 0.5 0.75 0.125 0.25
print(band(12, 10), band(12), bor(12, 10), bor(5), bxor(12, 10), bxor(5), bnot() == -0x0.0001)
-- expect: 8 0 14 5 6 5 true
print(shl(1, 4), shr(-16, 2), lshr(0x8000, 1) == 0x4000, rotl(1, 16) == 0x0.0001, rotr(1, 1), shl(3))
-- expect: 16 -4 true true 0.5 3
-- a fast function gives exactly one value, and only one
local a, b = flr(1.5)
print(a, b, select('#', flr()))
-- expect: 1 nil 1
