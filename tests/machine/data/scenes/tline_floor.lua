-- textured lines: a perspective floor, lines in every direction, wrapping
-- and tile offsets, whole-pixel precision
function _init()
  -- sprite 1: a framed tile; sprite 2: diagonal stripes
  for y = 0, 7 do for x = 0, 7 do
    sset(8 + x, y, (x == 0 or y == 0) and 7 or ((x + y) % 4 < 2 and 12 or 1))
    sset(16 + x, y, (x - y) % 4 == 0 and 10 or 4)
  end end
  -- sprite 3: a cross on green
  for y = 0, 7 do for x = 0, 7 do sset(24 + x, y, (x == 3 or y == 3) and 8 or 3) end end
  for ty = 0, 15 do for tx = 0, 15 do mset(tx, ty, 1 + (tx + ty) % 3) end end
  mset(2, 0, 0)
end

function _draw()
  cls(0)
  -- floor: rows from the horizon down, each a line through the map, which
  -- repeats every 16 tiles both ways
  poke(0x5f38, 16, 16)
  for y = 40, 127 do
    local depth = 64 / (y - 36)
    local step = depth / 8
    local mx = 8 - step * 64
    tline(0, y, 127, y, mx, depth * 2, step, 0)
  end
  poke(0x5f38, 0, 0)
  -- map row 0 one texel per pixel, then the same drawn right to left
  tline(0, 0, 127, 0, 0, 0)
  tline(127, 2, 0, 2, 0, 0)
  -- wrapping after two tile columns, and a tile offset
  poke(0x5f38, 2)
  tline(0, 5, 127, 5, 0, 0)
  poke(0x5f38, 0)
  poke(0x5f3a, 2)
  tline(0, 7, 63, 7, 0, 0)
  poke(0x5f3a, 0)
  -- sloped and upright lines, and one above map row 0 (finds no cell)
  tline(0, 10, 30, 38, 0, 0, 0.25, 0.125)
  tline(40, 38, 40, 10, 1, 0)
  tline(50, 10, 90, 12, 0, -1)
  -- precision 16 (coordinates count texels) with cell 0 drawn
  tline(16)
  poke(0x5f36, 8)
  tline(60, 20, 120, 30, 0, 0, 1, 0.25)
  poke(0x5f36, 0)
  tline(13)
  -- layers: flags select tiles, the draw palette applies
  fset(2, 0, true)
  pal(12, 9)
  tline(0, 34, 127, 34, 0, 0, 0.125, 0, 1)
  pal()
end
