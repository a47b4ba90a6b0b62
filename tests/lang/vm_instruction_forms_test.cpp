// The loader rewrites some instructions into faster forms. Programs must not
// be able to tell: run in their forms and in their general handlers, they
// print the same, fail with the same messages and are charged the same
// cycles, on operands that take a form's fast path and on every kind it
// hands back (metamethods, strings, errors).
#include <gtest/gtest.h>

#include <set>

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "lang/objects.h"
#include "script_support.h"

namespace tamori::lang::testing {
namespace {

// Each program reports through print, and ends by printing its cycles.
const char* const kPrograms[] = {
    // Additions on two registers and on a register and a number constant.
    R"(local a, b, s = 3, 4.5, "10"
       local m = setmetatable({}, {__add = function(x, y) return "added" end})
       print(a + b, a + 1, s + a, s + 1, m + a, m + 1)
       print(pcall(function() local n; return a + n end))
       print(pcall(function() local n; return n + 1 end)))",
    // Subtraction and remainder by constants, including negative and
    // fractional operands and strings.
    R"(local x, y, s = 7, -7.25, "9"
       print(x - 1, y - 1, s - 1, x % 3, y % 3, s % 4, 0x7fff.ffff % 2)
       print(pcall(function() local t = {}; return t - 1 end))
       print(pcall(function() local t = {}; return t % 2 end)))",
    // Indexing with a register key and with a string constant key: array
    // slots, hash keys, absent keys, "__index" tables and functions, strings.
    R"(local t = {10, 20, x = "ex"}
       local base = {inherited = "from base"}
       local derived = setmetatable({}, {__index = base})
       local computed = setmetatable({}, {__index = function(_, k) return k .. "!" end})
       local k1, k2, k3 = 2, "x", "absent"
       print(t[k1], t[k2], t[k3], t.x, t.absent, derived.inherited, derived.other, computed.key)
       local s, name = "text", "len"
       print(pcall(function() return s.len end), pcall(function() return s[name] end), #s)
       print(pcall(function() local n; return n.field end))
       print(pcall(function() local n, k = nil, 1; return n[k] end)))",
    // Globals: present, absent, and behind a metatable on the environment.
    R"(present = 5
       print(present, absent)
       setmetatable(_ENV, {__index = function(_, k) return "default " .. k end})
       print(present, absent))",
    // Stores to string constant keys: existing, new, removed, and through
    // "__newindex" only where the key is absent.
    R"(local t = {x = 1}
       t.x = 2; t.y = 3; t.x = nil; t.x = 4
       local log = {}
       local guarded = setmetatable({kept = 1}, {__newindex = function(_, k, v) log[#log + 1] = k end})
       guarded.kept = 2; guarded.fresh = 3
       print(t.x, t.y, guarded.kept, rawget(guarded, "fresh"), log[1], #log)
       print(pcall(function() local n; n.field = 1 end)))",
    // Less-than on registers and constants, both ways round: numbers,
    // strings, "__lt", and the errors of mixed kinds.
    R"(local a, b, s, u = 1, 2.5, "apple", "banana"
       local v = setmetatable({}, {__lt = function() return true end})
       local w = setmetatable({}, getmetatable(v))
       print(a < b, b < a, a < 2, b < 2, 2 < b, 2 < a, s < u, v < w)
       for i = 1, 3 do if i < 2 then print("below", i) elseif 2 < i then print("above", i) end end
       print(pcall(function() return a < s end))
       print(pcall(function() return s < 1 end))
       print(pcall(function() return 1 < s end)))",
};

void collect_prototypes(Prototype* prototype, std::vector<Prototype*>* all) {
  all->push_back(prototype);
  for (Prototype* nested : prototype->functions) collect_prototypes(nested, all);
}

struct Outcome {
  std::vector<std::string> printed;
  std::string error;
};

// Runs `program`, in its chosen forms or with every instruction put back in
// its general form; `forms_seen` collects the forms it was loaded with.
Outcome run(const std::string& program, bool general, std::set<int>* forms_seen) {
  Outcome outcome;
  CompileResult compiled = compile_chunk(program + "\nprint(cycles())", "forms");
  EXPECT_TRUE(compiled.ok()) << compiled.full_message;
  if (!compiled.ok()) return outcome;
  ThreadState* state = create_test_state(&outcome.printed);
  lua_reset_cpu_cycles();
  lua_set_cpu_cycles_slice_max(0x7fffffff);
  lua_cpu_prepare_for_resume();
  load_function(state, *compiled.function);
  std::vector<Prototype*> prototypes;
  collect_prototypes(as_lua_closure(value_at(state, -1))->prototype, &prototypes);
  for (Prototype* prototype : prototypes) {
    for (Instruction& i : prototype->code) {
      if ((i & 0x3f) >= Instruction(kOpcodeCount)) forms_seen->insert(int(i & 0x3f));
      if (general) i = general_form(i);
    }
  }
  if (protected_call(state, 0, 0) != RunStatus::Ok) outcome.error = display_text(state, -1);
  destroy_state(state);
  return outcome;
}

TEST(InstructionForms, ProgramsCannotTellFormsFromTheirGeneralHandlers) {
  std::set<int> forms_seen;
  for (const char* program : kPrograms) {
    SCOPED_TRACE(program);
    Outcome in_forms = run(program, false, &forms_seen);
    Outcome general = run(program, true, &forms_seen);
    EXPECT_EQ(in_forms.error, "");
    EXPECT_EQ(in_forms.error, general.error);
    EXPECT_EQ(in_forms.printed, general.printed);
    EXPECT_GE(in_forms.printed.size(), 2u);
  }
  // Every form was met, or the comparison proves nothing for it.
  EXPECT_EQ(forms_seen.size(), size_t(64 - kOpcodeCount));
}

}  // namespace
}  // namespace tamori::lang::testing
