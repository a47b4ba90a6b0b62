tamori cartridge // https://tamori.invalid
version 43
__lua__
-- text
-- print's control codes, a custom font, wide glyphs and scrolling

pages={}
function page(name,enter,draw) add(pages,{name=name,enter=enter,draw=draw}) end

function _init()
 make_font()
 at=1
 t=0
 idle=0
 pages[at].enter()
end

function _update()
 t+=1
 idle+=1
 local d=0
 if (btnp(0)) d=-1
 if (btnp(1)) d=1
 if (idle>450) d=1
 if d~=0 then
  at=(at-1+d)%#pages+1
  t=0
  idle=0
  pages[at].enter()
 end
 if (btn()>0) idle=0
end

function bar()
 -- the cursor is kept so that text printed without a position goes on
 local cx,cy=peek(0x5f26),peek(0x5f27)
 rectfill(0,0,127,6,1)
 print("⬅️ "..at.."/"..#pages.." "..pages[at].name,1,1,6)
 print("➡️",119,1,6)
 cursor(cx,cy)
end

function _draw()
 pages[at].draw()
 bar()
end

-- a bold font, made from the built-in one: each glyph is printed,
-- read back with pget, widened and written into font memory at 0x5600
function make_font()
 cls()
 poke(0x5600,7,8,8,0,0,0,0)
 for c=33,126 do
  rectfill(0,0,7,7,0)
  print(chr(c),0,0,7)
  for y=0,5 do
   local row=0
   for x=0,3 do
    if (pget(x,y)>0) row|=3<<(x*2)
   end
   poke(0x5600+c*8+y+1,row)
  end
 end
 cls()
end

page("colours and sizes",function() cls() end,function()
 cls()
 print("\fccolours \f8change \fbwith \\f",2,10)
 print("\#2solid background\^-# with \\#",2,18,7)
 print("\^wwide\^-w and \^ttall\^-t",2,28,10)
 print("\^ppinball",2,42,9)
 print("\^iinverted\^-i \^w\^=dotty",2,58,14)
 print("\^o1ffoutlined\^-o \^o8ffin red",2,68,7)
 print("repeat \*8*",2,78,9)
 print("one-off glyph \^:183c7edbff5a8142",2,88,15)
 print("tabs\tline\tup",2,98,6)
 print("\^w\^t\f8t\f9a\fam\fbo\fcr\fei",2,108)
end)

page("cursor codes",function() cls() end,function()
 cls()
 print("stairs a\|kb\|kc\|kd\|ke",2,10,7)
 print("back up: cat\-8\f8ow",2,34,6)
 print("e\vq' a\vq^ o\vq\" n\vq~ marks",2,46,11)
 print("\^rnwrapping text at a width of 56 pixels",2,58,12)
end)

page("typewriter",function() cls(1) end,function()
 if t==1 then
  print("\as6i5c4e4g4c5",0,-10)
  print("\^d1\f7printing can wait\nbetween letters and\n\^d0\f9or \^8pause\^8 mid-line,\n\f6\^d1then carry on,\nframe after frame.",8,20)
 end
end)

page("custom font",function() cls() end,function()
 cls(0)
 print("\14custom font",4,12,10)
 print("\14at 0x5600!",4,24,14)
 print("made from the built-in\nfont: print, pget, poke",4,40,6)
 local c=ord("a")
 print("glyph of a:",4,60,7)
 for y=0,7 do
  local row=peek(0x5600+c*8+y)
  for x=0,7 do
   if (row&(1<<x)>0) rectfill(60+x*4,60+y*4,62+x*4,62+y*4,11)
  end
  print(sub(tostr(row,true),5,6),100,60+y*6-y*2,5)
 end
end)

page("wide glyphs",function() cls() end,function()
 cls()
 for i=0,25 do
  print(chr(128+i),4+i%13*9,10+i\13*9,8+i%8)
 end
 for i=0,99 do
  print(chr(154+i),4+i%13*9,30+i\13*9,7)
 end
 print("128..153 symbols, 154.. kana",2,104,6)
end)

msgs={"the screen scrolls","when print runs out","of rows at the bottom","","no position given:","the cursor carries on"}
page("scrolling",function() cls() cursor(0,8) end,function()
 if t%8==0 then
  local i=t\8
  local s=msgs[i%#msgs+1]
  print(s=="" and "" or "\f"..sub("789abc",i%6+1,i%6+1)..i.." "..s)
 end
end)

page("wavy scroller",function() cls() end,function()
 cls(1)
 local s="   tamori prints anything anywhere, one glyph at a time...   "
 local x0=128-t*1.5%((#s)*8+128)
 for i=1,#s do
  local x=x0+(i-1)*8
  if x>-8 and x<128 then
   local y=56+sin(t/40+i/10)*20
   print("\^w"..sub(s,i,i),x,y+1,0)
   print("\^w"..sub(s,i,i),x,y,8+i%8)
  end
 end
end)
