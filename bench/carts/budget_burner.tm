tamori cartridge // https://tamori.invalid
version 43
__lua__
-- spends nearly the whole frame's cpu budget every frame at 60 fps,
-- and draws a picture that changes every frame
n=0
function _update60()
 local x=0
 while stat(1)<0.9 do
  for i=1,50 do x+=i end
 end
 n+=1
end
function _draw()
 cls(n%16)
 for i=0,15 do
  circfill((n+i*8)%128,i*8,4,i)
 end
 print(stat(1),2,2,7)
end
