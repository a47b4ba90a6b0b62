-- printing without a position: lines scroll the screen up by 6 rows once
-- the cursor passes row 122; shapes drawn before move up with the text. Code
-- 12 changes the pen, so each line starts in the previous line's colour
function _draw()
  cls(0)
  rectfill(0, 0, 127, 5, 8)
  circfill(64, 64, 20, 12)
  for i = 1, 24 do
    local colour = 1 + i % 9
    print("line " .. i .. " \f" .. colour .. "colour " .. colour)
  end
  print("\^tlast tall line", 11)
  print("cut\0 hidden")
  -- with 0x5f36 bit 0x40 lines run on below the screen without scrolling:
  -- only the first still fits on the bottom rows
  poke(0x5f36, 0x40)
  for i = 1, 3 do print("below the screen") end
  poke(0x5f36, 0)
end
