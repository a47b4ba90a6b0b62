-- text: the print switches (wide, tall, dotty, pinball, inverted, solid
-- background, padding), outlines, one-off glyphs, cursor codes, repeat,
-- backspace, tabs, accents, colours, wrapping and the custom font at 0x5600
function _init()
  -- custom font: 6-pixel advance, 8 rows, glyphs for "a", "b" and "c"
  poke(0x5600, 6, 8, 8, 0, 0, 0, 0)
  local glyphs = {
    a = {0x1e, 0x21, 0x21, 0x3f, 0x21, 0x21, 0x21, 0x00},
    b = {0x1f, 0x21, 0x21, 0x1f, 0x21, 0x21, 0x1f, 0x00},
    c = {0x1e, 0x21, 0x01, 0x01, 0x01, 0x21, 0x1e, 0x00},
  }
  for letter, rows in pairs(glyphs) do
    for i = 1, 8 do poke(0x5600 + ord(letter) * 8 + i - 1, rows[i]) end
  end
end

function _draw()
  -- the clear command paints the background
  cls(0)
  print("\^c1")
  local x, y = print("plain text 0123", 1, 1, 7)
  print(x .. "," .. y, 70, 1, 6)
  print("\^wwide\^-w \^ttall\^-t \^w\^tboth", 1, 8, 10)
  print("\^=\^wdotty wide\^-w \^=\^ttall", 1, 22, 9)
  print("\^ppinball \^i\^-pinv", 1, 36, 11)
  print("\#2solid\#8 red \^#\f0fill", 1, 50, 7)
  print("\^o8ffoutline\^-o off \^o$08bold", 1, 58, 7)
  print("\^:0e1f15150e0a0a00\^;ff818181818181ff\^,\1\2\4\8\16\32\64\128", 1, 66, 12)
  -- cursor codes: repeat, backspace, tab, moves, accent, colours
  print("\*5-\b+ ab\bc\t|", 1, 76, 14)
  print("x\-jy\|cz\+ice  e\v5^", 72, 76, 14)
  print("\#5\f8red \f9orange \^-bnopad\^b pad", 1, 84, 7)
  -- carriage return, then a move down of 6
  print("home\r\|mback", 90, 84, 11)
  -- character width 6 and height 9: the next line starts 9 rows lower
  print("\^x6\^y9ab\ncd", 84, 36, 13)
  -- custom font by control code, and by the attribute register
  print("abc\14abc\15abc", 1, 96, 15)
  poke(0x5f58, 0x81)
  print("cab", 80, 96, 13)
  poke(0x5f58, 0)
  -- wrapping at a boundary of 4 * 8 pixels, tab stops of 12, jump and home
  print("\^r8wrapping words here", 1, 106, 6)
  print("\^s3a\tb\tc", 40, 106, 10)
  print("\^jgqjump\^hh\nhome", 0, 0, 9)
  -- wide glyphs and a solid background under a pattern
  fillp(0x5a5a)
  print("\#3\^w\128\129\130\131", 72, 120, 0x4c)
  fillp()
end
