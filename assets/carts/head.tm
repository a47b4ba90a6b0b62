tamori cartridge // https://tamori.invalid
version 43
__lua__
-- head cartridge: the first cartridge of the data file, which the
-- console runs after its boot sequence. a stand-in until there is a
-- launcher: it names itself and shows the time.
function two(n)
 return sub("0"..n, -2)
end

function _draw()
 cls(1)
 print("tamori", 52, 30, 7)
 print("head cartridge", 36, 44, 6)
 local clock = two(stat(93))..":"..two(stat(94))..":"..two(stat(95))
 print(clock, 48, 64, 10)
 local date = stat(90).."-"..two(stat(91)).."-"..two(stat(92))
 print(date, 44, 74, 13)
end
