#include "lang/cpu_functions.h"

#include "lang/api.h"
#include "lang/cpu_counters.h"
#include "lang/fixed.h"

namespace tamori::lang {
namespace {

// __refund_cpu__(n): gives back 2·flr(n) cycles (or charges them, for
// negative n down to -17) when refunds are allowed.
int refund_cpu(ThreadState* thread) {
  int32_t raw = raw_number_at(thread, 1);
  if (thread->global->refund_allowed && raw >= fixed_from_int(-17)) {
    charge_cycles(int32_t(uint32_t(fixed_to_int(raw)) * 2u));
  }
  return 0;
}

int superyield(ThreadState*) {
  lua_cpu_superyield();
  return 0;
}

}  // namespace

int yielded_to_escape_slice(ThreadState* thread) {
  if (get_top(thread) == 1 && type_at(thread, 1) == ValueType::Number) {
    thread->escape_flag = integer_at(thread, 1);
    return 0;
  }
  push_boolean(thread, thread->escape_flag != 0);
  return 1;
}

void open_cpu_functions(ThreadState* state) {
  register_native(state, "__refund_cpu__", refund_cpu);
  register_native(state, "__yielded_to_escape_slice", yielded_to_escape_slice);
  register_native(state, "__superyield", superyield);
}

}  // namespace tamori::lang
