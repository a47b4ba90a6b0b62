tamori cartridge // https://tamori.invalid
version 43
__lua__
-- input
-- eight players' buttons, btnp repeats, mouse and keyboard

glyphs={"⬅️","➡️","⬆️","⬇️","🅾️","❎"}
repeats={{"default",0,0},{"fast",6,1},{"slow",30,10},{"off",255,0}}

function set_repeat(i)
 rep=(i-1)%#repeats+1
 local r=repeats[rep]
 poke(0x5f5c,r[2])
 poke(0x5f5d,r[3])
 menuitem(1,"repeat: "..r[1],function(b)
  set_repeat(rep+(b&1>0 and -1 or 1))
  return true
 end)
end

function _init()
 -- keyboard and mouse through stat, mouse buttons stay buttons of their own
 poke(0x5f2d,1)
 set_repeat(1)
 history={}
 typed=""
 presses=0
end

function _update()
 local mark=0
 for b=0,5 do
  if btnp(b) then
   mark=b+1
   presses+=1
  end
 end
 add(history,mark,1)
 if (#history>120) deli(history)
 while stat(30) do
  local c=stat(31)
  if c=="\b" then typed=sub(typed,1,-2)
  elseif c>=" " then typed=sub(typed..c,-24) end
 end
end

function draw_players()
 for p=0,7 do
  local y=12+p*7
  print("p"..(p+1),2,y,p==0 and 7 or 6)
  local mask=0
  for b=0,7 do
   if (btn(b,p)) mask|=1<<b
  end
  for b=0,5 do
   local held=btn(b,p)
   local x=14+b*10
   if held then rectfill(x-1,y-1,x+8,y+5,8+p) end
   print(glyphs[b+1],x,y,held and 0 or 5)
  end
  print("bits "..mask,80,y,mask>0 and 10 or 5)
 end
end

function draw_history()
 rectfill(3,70,124,79,1)
 for i,m in ipairs(history) do
  if (m>0) line(124-i,71,124-i,78,7+m)
 end
 print("btnp: repeat "..repeats[rep][1].." (menu)",3,82,6)
 print(presses,112,82,7)
end

function draw_devices()
 local mx,my,mb,wheel=stat(32),stat(33),stat(34),stat(36)
 print("controllers "..stat(29),3,91,6)
 print("mouse "..mx..","..my.." b"..mb..(wheel~=0 and " w"..wheel or ""),3,98,6)
 local keys=""
 for k=4,99 do
  if (stat(28,k)) keys..=k.." "
 end
 print("keys "..sub(keys,1,24),3,105,6)
 rectfill(3,112,124,120,0)
 print("> "..typed..(time()%1<0.5 and "_" or ""),4,114,11)
 -- the pointer, drawn last so it is always on top
 line(mx,my,mx+4,my+4,7)
 line(mx,my,mx,my+5,7)
 line(mx,my,mx+5,my,7)
 if (mb&1>0) circ(mx,my,3,8)
 if (mb&2>0) circ(mx,my,5,12)
end

function _draw()
 cls(1)
 rectfill(0,0,127,8,2)
 print("\^winput",2,1,7)
 print("type, click, press",52,2,14)
 draw_players()
 draw_history()
 draw_devices()
end
