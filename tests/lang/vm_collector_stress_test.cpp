// Random programs that build and mutate object graphs (tables in tables,
// closures sharing upvalues, coroutines holding references and open
// upvalues, weak tables, metatables with "__gc"), run once normally and
// again with a collector step at every safe point: whatever the timing of
// the steps, the program must compute the same results (and, under the
// sanitizers, never touch freed memory).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "script_support.h"

namespace tamori::lang::testing {
namespace {

constexpr int kSlots = 10;

const char* const kPrologue = R"(
local pool, setters, getters, cos = {}, {}, {}, {}
local next_id, finalized = 0, 0
local function new(a, b)
  next_id += 1
  return {id = next_id, a, b}
end
local finalizing = {__gc = function(o) finalized += rawget(o, "id") end}
local weak_keys = setmetatable({}, {__mode = "k"})
local weak_values = setmetatable({}, {__mode = "v"})
local function maker(v)
  local shared = v
  return function(x) shared = x end, function() return shared end
end
local function holder(x)
  local held = {x}
  while true do
    local y = yield(held)
    held = {y, held}
  end
end
local function opener(x)
  local v = x
  while true do
    local y = yield(function() return v end)
    v = {y, v, tag = "o" .. next_id}
  end
end
for round = 1, 12 do
)";

const char* const kEpilogue = R"(
end
local seen = {}
local function walk(t, depth)
  if type(t) ~= "table" or seen[t] or depth > 60 then return 0 end
  seen[t] = true
  local sum = rawget(t, "id") or 1
  if type(rawget(t, "tag")) == "string" then sum += #rawget(t, "tag") end
  sum += walk(rawget(t, 1), depth + 1) + walk(rawget(t, 2), depth + 1) + walk(rawget(t, "child"), depth + 1)
  local mt = getmetatable(t)
  if mt then sum += walk(rawget(mt, "__index"), depth + 1) end
  return sum
end
for i = 1, 10 do print("pool", i, walk(pool[i], 0)) end
for i = 1, 10 do if getters[i] then print("get", i, walk(getters[i](), 0)) end end
for i = 1, 10 do if pool[i] then print("weak key", i, weak_keys[pool[i]]) end end
for i = 1, 10 do
  local v, present = weak_values[i], false
  for j = 1, 10 do if v ~= nil and pool[j] == v then present = true end end
  print("weak value", i, present and rawget(v, "id") or "-")
end
local touched = 0
for k, v in pairs(weak_values) do if type(v) == "table" then touched += rawget(v, "id") or 0 end end
pool, setters, getters, cos, seen = nil, nil, nil, nil, nil
collect()
print("finalized", finalized)
)";

// One statement over the slots; `a`, `b`, `c` are slot numbers.
std::string statement(int kind, int a, int b, int c) {
  const std::string A = std::to_string(a), B = std::to_string(b), C = std::to_string(c);
  switch (kind) {
    case 0: return "pool[" + A + "] = new(pool[" + B + "], pool[" + C + "])";
    case 1: return "if pool[" + A + "] then pool[" + A + "].child = pool[" + B + "] end";
    case 2: return "pool[" + A + "] = nil";
    case 3: return "setters[" + A + "], getters[" + A + "] = maker(pool[" + B + "])";
    case 4: return "if setters[" + A + "] then setters[" + A + "](pool[" + B + "]) end";
    case 5: return "if getters[" + A + "] then pool[" + B + "] = getters[" + A + "]() end";
    case 6: return "cos[" + A + "] = cocreate(holder) coresume(cos[" + A + "], pool[" + B + "])";
    case 7:
      return "if cos[" + A + "] then local ok, h = coresume(cos[" + A + "], pool[" + B + "]) pool[" + C +
             "] = type(h) == \"table\" and h or nil end";
    case 8: return "if pool[" + A + "] then weak_keys[pool[" + A + "]] = round * " + B + " end";
    case 9: return "weak_values[" + A + "] = pool[" + B + "]";
    case 10: return "pool[" + A + "] = setmetatable(new(pool[" + B + "]), finalizing)";
    case 11:
      return "if pool[" + A + "] and pool[" + B + "] then setmetatable(pool[" + A + "], {__index = pool[" + B +
             "]}) end";
    case 12: return "pool[" + A + "] = new(\"s" + A + "_\" .. round .. \"_\" .. " + B + ")";
    case 13:
      return "cos[" + A + "] = cocreate(opener) local ok, g = coresume(cos[" + A + "], pool[" + B +
             "]) getters[" + C + "] = g setters[" + C + "] = nil";
    default: return "if cos[" + A + "] then coresume(cos[" + A + "], new(pool[" + B + "], round)) end";
  }
}

std::string random_program(std::mt19937& random) {
  std::uniform_int_distribution<int> kind(0, 14), slot(1, kSlots), length(20, 60);
  std::string source = kPrologue;
  for (int n = length(random); n > 0; n--) {
    source += "  " + statement(kind(random), slot(random), slot(random), slot(random)) + "\n";
  }
  return source + kEpilogue;
}

TEST(VmCollectorStress, RandomGraphsComputeTheSameWhateverTheSteps) {
  std::mt19937 random(20261208);
  const int32_t step_works[] = {1, 1, 200, 5000};
  for (int n = 0; n < 24; n++) {
    std::string source = random_program(random);
    ScriptRun plain = run_script(source, "graph");
    ASSERT_TRUE(plain.compiled) << plain.compile_error << "\n" << source;
    ASSERT_FALSE(plain.failed) << plain.error_message << "\n" << source;
    ASSERT_GT(plain.printed.size(), 20u);
    ScriptRun stressed = run_script(source, "graph", false, step_works[n % 4]);
    EXPECT_FALSE(stressed.failed) << stressed.error_message;
    EXPECT_EQ(plain.printed, stressed.printed) << "steps of " << step_works[n % 4] << " in\n" << source;
    if (n % 6 == 0) {
      ScriptRun collected = run_script(source, "graph", true);
      EXPECT_EQ(plain.printed, collected.printed) << "full collections in\n" << source;
    }
  }
}

}  // namespace
}  // namespace tamori::lang::testing
