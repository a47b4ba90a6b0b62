-- the coroutine functions and the escape flag as the library registers them
local function message(f, ...) local ok, e = pcall(f, ...) return e end
-- values go in through resume and out through yield, both ways
local echo = cocreate(function(...)
  local got = pack(...)
  while true do got = pack(yield(got.n, unpack(got))) end
end)
print(__coresume(echo, "a", nil, 3))
-- expect: true 3 a nil 3
print(coresume(echo))
-- expect: true 0
print(coresume(echo, 1, 2))
-- expect: true 2 1 2
print(costatus(echo), type(echo))
-- expect: suspended thread
print(message(coresume, {}), message(costatus, 1), message(cocreate))
-- expect: bad argument #1 to 'coresume' (coroutine expected) bad argument #1 to 'costatus' (coroutine expected) bad argument #1 to 'cocreate' (function expected)
print(message(yield, 1))
-- expect: attempt to yield from outside a coroutine
-- a yield cannot cross a library function calling back into the language
local blocked = cocreate(function()
  return count(setmetatable({}, {__len = function() yield() return 1 end}))
end)
print(coresume(blocked))
-- expect: false attempt to yield across a C-call boundary
-- the escape flag: read as a boolean, set by a single number
local flagged = cocreate(function()
  local before = __yielded_to_escape_slice()
  __yielded_to_escape_slice(1.9)
  local after = __yielded_to_escape_slice()
  local ignored = __yielded_to_escape_slice(0, 1)
  local still = __yielded_to_escape_slice()
  __yielded_to_escape_slice("0")
  return before, after, ignored, still, __yielded_to_escape_slice()
end)
print(coresume(flagged))
-- expect: true false true true true true
print(__yielded_to_escape_slice(), select('#', __yielded_to_escape_slice(0)))
-- expect: false 0
