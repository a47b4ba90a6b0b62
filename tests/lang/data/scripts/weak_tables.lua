-- weak tables drop entries whose weak key or value is collected
local weak_values = setmetatable({}, {__mode = "v"})
local kept = {}
weak_values[1] = kept
weak_values[2] = {}
weak_values.name = "strings are kept"
weak_values.f = function() end
collect()
print(weak_values[1] == kept, weak_values[2], weak_values.name, weak_values.f)
-- expect: true nil strings are kept nil
local weak_keys = setmetatable({}, {__mode = "k"})
local key = {}
weak_keys[key] = "alive"
weak_keys[{}] = "dead"
weak_keys["text"] = {}
collect()
local count = 0
for k, v in pairs(weak_keys) do count += 1 end
print(count, weak_keys[key], type(weak_keys.text))
-- expect: 2 alive table
-- an ephemeron: a value referring to its own key does not keep the key alive
local cache = setmetatable({}, {__mode = "k"})
do
  local object = {}
  cache[object] = {owner = object}
end
collect()
print(next(cache))
-- expect: nil
-- a chain of ephemeron entries kept alive from one reachable key
local chain = setmetatable({}, {__mode = "k"})
local first = {}
local second, third = {}, {}
chain[first] = second
chain[second] = third
second, third = nil, nil
collect()
count = 0
for k in pairs(chain) do count += 1 end
print(count)
-- expect: 2
local both = setmetatable({}, {__mode = "kv"})
both[{}] = 1
both[1] = {}
both[kept] = kept
collect()
count = 0
for k in pairs(both) do count += 1 end
print(count)
-- expect: 1
