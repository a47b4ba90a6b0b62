-- cycle charges of single instructions, measured between two cycles() calls
-- minus the cost of the measurement itself
local c0, c1
c0 = cycles() c1 = cycles()
local overhead = c1 - c0
local x = 0
c0 = cycles()
for i = 1, 1000 do x += 1 end
c1 = cycles()
local empty0, empty1
empty0 = cycles()
for i = 1, 0 do x += 1 end
empty1 = cycles()
-- 1000 x (ADD 1 + FORLOOP 2) beyond the loop's setup
print((c1 - c0) - (empty1 - empty0))
-- expect: 3000
local s = "0123456789012345678901234567890123456789012345678901234567890123"
c0 = cycles() local joined = s .. s c1 = cycles()
-- two MOVEs, then CONCAT 2 + 2 + 2 for two 64-byte pieces
print(c1 - c0 - overhead)
-- expect: 8
-- POW 2, plus 16, plus 16 for one square root (on locals, so that the
-- compiler does not fold it)
local p
local four, half, zero = 4, 0.5, 0
c0 = cycles() p = four ^ half c1 = cycles()
print(p, c1 - c0 - overhead)
-- expect: 2 34
c0 = cycles() p = zero ^ zero c1 = cycles()
print(p, c1 - c0 - overhead)
-- expect: 1 2
c0 = cycles() p = flr(2.5) c1 = cycles()
-- GETTABUP 2 + LOADK 1 + CALL 2 + MOVE 1, less the one cycle flr refunds
-- for its argument
print(p, c1 - c0 - overhead)
-- expect: 2 5
-- refunds change the slice counter by twice the whole part of their argument
c0 = cycles() __refund_cpu__(-3) c1 = cycles()
-- GETTABUP 2 + LOADK 1 + CALL 2, minus 6
print(c1 - c0 - overhead)
-- expect: -1
c0 = cycles() __refund_cpu__(-20) c1 = cycles()
print(c1 - c0 - overhead)
-- expect: 5
c0 = cycles() __refund_cpu__(2.5) c1 = cycles()
print(c1 - c0 - overhead)
-- expect: 9
print(__yielded_to_escape_slice())
-- expect: false
__yielded_to_escape_slice(1)
print(__yielded_to_escape_slice(), __yielded_to_escape_slice("1"))
-- expect: true true
__yielded_to_escape_slice(0)
print(__yielded_to_escape_slice())
-- expect: false
