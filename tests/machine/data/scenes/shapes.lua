-- shapes: outlines and fills of every primitive, fill patterns (opaque,
-- transparent, from the colour argument, secondary palette), inverted fills,
-- the draw palette, camera and clip
function _draw()
  cls(1)
  -- top row: outlines
  circ(8, 8, 6, 7)
  circ(8, 8, 1, 8)
  oval(17, 2, 34, 13, 9)
  rect(38, 2, 52, 13, 10)
  rrect(56, 2, 18, 12, 4, 11)
  line(78, 2, 94, 13, 12)
  line(94, 2, 78, 13, 14)
  line(98, 13, 126, 2, 15)
  -- line end forms: a break, a first point, then two joined segments
  line()
  line(98, 4)
  line(110, 8, 8)
  line(126, 13)

  -- second row: fills with opaque two-colour patterns
  fillp(0x5a5a)
  circfill(8, 26, 7, 0x8e)
  fillp(0x0f0f)
  ovalfill(18, 19, 35, 33, 0x9c)
  fillp(0xcc33)
  rectfill(38, 19, 52, 33, 0x2a)
  fillp(0xf0f0)
  rrectfill(56, 19, 18, 15, 5, 0x3b)
  fillp()
  circfill(86, 26, 7, 4)
  circfill(106, 26, 1, 8)
  ovalfill(112, 20, 126, 23, 13)
  ovalfill(112, 26, 126, 33, 15)

  -- third row: transparent patterns, from fillp and from the colour argument
  rectfill(0, 36, 127, 52, 5)
  fillp(0xa5a5.8)
  circfill(10, 44, 8, 7)
  poke(0x5f34, 1)
  ovalfill(22, 37, 46, 51, 0x1108.5a5a)
  rectfill(50, 37, 64, 51, 0x110c.8421)
  -- secondary palette pairs for the pattern's set and clear bits
  pal(9, 0x2e, 2)
  fillp(0xf00f.2)
  rrectfill(68, 37, 24, 15, 3, 9)
  fillp()
  -- the colour argument's pattern stays in force after the call
  rectfill(96, 37, 127, 51, 0x1007.3c3c)
  fillp()
  poke(0x5f34, 0)

  -- fourth row: inverted fills inside a clip rectangle
  poke(0x5f34, 2)
  clip(0, 56, 30, 20)
  circfill(15, 65, 6, 0x180c)
  clip(32, 56, 30, 20)
  ovalfill(38, 60, 55, 71, 0x180b)
  clip(64, 56, 30, 20)
  rectfill(70, 60, 86, 70, 0x1809)
  clip(96, 56, 32, 20)
  rrectfill(100, 59, 24, 14, 4, 0x180e)
  clip()
  poke(0x5f34, 0)

  -- fifth row: draw palette, camera and nested clips
  pal(7, 8)
  pal(12, 3)
  circfill(10, 88, 8, 7)
  rectfill(22, 80, 36, 96, 12)
  pal()
  camera(-40, -80)
  rect(0, 0, 20, 16, 6)
  circ(10, 8, 5, 10)
  camera()
  clip(70, 80, 40, 30)
  clip(60, 90, 60, 40, true)
  circfill(90, 100, 20, 2)
  clip()
  rect(69, 79, 110, 110, 6)

  -- bitplane masks: write only the low bit over a gradient
  for i = 0, 15 do rectfill(i * 8, 112, i * 8 + 7, 127, i) end
  poke(0x5f5e, 0xf1)
  rectfill(0, 120, 127, 127, 7)
  poke(0x5f5e, 0xff)
  pset(127, 0, 8)
  pset(0, 127, 8)
end
