-- closures share upvalues; each loop iteration gets a fresh local
local function counter()
  local n = 0
  return function() n += 1 return n end, function() return n end
end
local inc, get = counter()
inc() inc()
print(get())
-- expect: 2
local fs = {}
for i = 1, 3 do fs[i] = function() return i end end
print(fs[1](), fs[2](), fs[3]())
-- expect: 1 2 3
local gs = {}
local j = 1
while j <= 3 do
  local k = j * 10
  gs[j] = function() k += 1 return k end
  j += 1
end
print(gs[1](), gs[1](), gs[2](), gs[3]())
-- expect: 11 12 21 31
-- an upvalue closed when its block ends keeps its last value
local h
do
  local v = 5
  h = function() return v end
  v = 6
end
print(h())
-- expect: 6
-- nested closures reach through two levels
local function outer()
  local a = 1
  return function()
    return function() a += 1 return a end
  end
end
local deep = outer()()
deep()
print(deep())
-- expect: 3
-- recursion and mutual recursion
local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end
print(fib(20))
-- expect: 6765
local is_even, is_odd
function is_even(n) if n == 0 then return true end return is_odd(n - 1) end
function is_odd(n) if n == 0 then return false end return is_even(n - 1) end
print(is_even(10), is_odd(7))
-- expect: true true
-- deep tail calls do not grow the stack
local function loop(n) if n == 0 then return "done" end return loop(n - 1) end
print(loop(30000))
-- expect: done
