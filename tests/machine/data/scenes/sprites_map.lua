-- sprites and map: sizes, flips, stretched and mirrored sprites, map layers,
-- cell 0, transparency through the draw palette and the sprite pattern
function _init()
  -- sprite 0: a hollow frame, seen only where cell 0 is drawn
  for i = 0, 7 do sset(i, 0, 13) sset(i, 7, 13) sset(0, i, 13) sset(7, i, 13) end
  -- sprite 1: an arrow pointing right and down, so that every flip shows
  for y = 0, 7 do for x = 0, 7 do
    local c = 0
    if x == 0 or y == 0 then c = 8 end
    if x == y then c = 10 end
    if x >= 5 and y >= 5 then c = 12 end
    sset(8 + x, y, c)
  end end
  -- sprite 2: stripes with a transparent hole
  for y = 0, 7 do for x = 0, 7 do sset(16 + x, y, y < 4 and 9 or 3) end end
  for y = 2, 5 do for x = 2, 5 do sset(16 + x, y, 0) end end
  -- sprite 3: a checker of two colours; sprite 4: a gradient
  for y = 0, 7 do for x = 0, 7 do
    sset(24 + x, y, (x + y) % 2 == 0 and 14 or 2)
    sset(32 + x, y, 1 + (x + y) % 15)
  end end
  -- sprite 17 (second row of the sheet) is a solid block with a dot
  for y = 8, 15 do for x = 8, 15 do sset(x, y, 11) end end
  sset(10, 10, 0)
  fset(1, 0, true)
  fset(3, 1, true)
  fset(17, 0x03)
  -- a 6 x 4 map of sprites, with cells of 0
  local cells = {1, 2, 0, 3, 17, 4, 4, 0, 1, 2, 3, 17, 17, 3, 2, 0, 4, 1, 0, 1, 4, 17, 0, 2}
  for i = 0, #cells - 1 do mset(i % 6, i \ 6, cells[i + 1]) end
end

function _draw()
  cls(5)
  -- sizes and flips
  spr(1, 0, 0)
  spr(1, 10, 0, 1, 1, true)
  spr(1, 20, 0, 1, 1, false, true)
  spr(1, 30, 0, 1, 1, true, true)
  spr(1, 40, 0, 2, 1)
  spr(1, 60, 0, 0.5, 0.5)
  spr(1, 66, 0, 1.5, 1)
  spr(1, 80, 0, 2)
  spr(15, 90, 0, 2, 1, true)
  -- transparency through the draw palette
  palt(0, false)
  spr(2, 110, 0)
  palt()
  palt(9, true)
  spr(2, 118, 0)
  palt()

  -- stretched, shrunk and mirrored
  sspr(8, 0, 8, 8, 0, 12, 16, 16)
  sspr(8, 0, 8, 8, 18, 12, 24, 12)
  sspr(8, 0, 8, 8, 60, 12, -16, 16)
  sspr(8, 0, 8, 8, 62, 12, 16, -16)
  sspr(8, 0, 16, 8, 80, 12, 8, 4)
  sspr(8, 0, 8, 8, 92, 12, 12, 12, true, true)
  sspr(120, 0, 16, 8, 106, 12, 20, 10)

  -- the whole map block, then layer 1 only, then with cell 0 drawn
  map(0, 0, 0, 32, 6, 4)
  map(0, 0, 50, 32, 6, 4, 1)
  poke(0x5f36, 8)
  map(0, 0, 0, 66, 6, 4)
  poke(0x5f36, 0)
  map(1, 1, 50, 66, 3, 2, 2)

  -- the sprite pattern: secondary palette pairs through a checkerboard
  for c = 0, 15 do pal(c, c * 16 + 15 - c, 2) end
  fillp(0x5a5a.4)
  spr(4, 100, 32, 1, 1)
  sspr(32, 0, 8, 8, 100, 42, 16, 16)
  fillp(0x5a5a.c)
  spr(3, 118, 32)
  fillp()
  pal()

  -- camera and clip on sprites and map
  camera(4, 4)
  clip(2, 104, 60, 20)
  map(0, 0, 0, 104, 6, 4)
  clip()
  camera()
  clip(70, 104, 20, 14)
  for i = 0, 7 do spr(1 + i % 4, 64 + i * 5, 100 + i * 2) end
  clip()
end
