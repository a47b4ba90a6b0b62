// The prelude's private hooks into the cycle counter: refunds for its own
// iteration code, the escape flag that tells its coresume wrapper that a
// coroutine was suspended by the cycle check, and the request to suspend.
#include "lang/api.h"
#include "lang/cpu_counters.h"
#include "lang/fixed.h"
#include "lang/library.h"

namespace tamori::lang {
namespace {

bool refund_allowed = true;

// The largest refund a single call may ask for is 17 whole steps.
constexpr int32_t kSmallestRefundArgument = fixed_from_int(-17);

// __refund_cpu__(n): changes the slice counter by 2 * flr(n).
int refund_cpu(ThreadState* thread) {
  int32_t raw = raw_number_at(thread, 1);
  if (refund_allowed && raw >= kSmallestRefundArgument) {
    charge_cycles(int32_t(uint32_t(fixed_to_int(raw)) * 2u));
  }
  return 0;
}

// __yielded_to_escape_slice([v]): sets the running coroutine's escape flag
// from a single number argument, or reports whether it is set.
int yielded_to_escape_slice(ThreadState* thread) {
  if (get_top(thread) == 1 && type_at(thread, 1) == ValueType::Number) {
    escape_flag(thread) = integer_at(thread, 1);
    return 0;
  }
  push_boolean(thread, escape_flag(thread) != 0);
  return 1;
}

int superyield(ThreadState*) {
  lua_cpu_superyield();
  return 0;
}

}  // namespace

void set_cpu_refund_allowed(bool allowed) { refund_allowed = allowed; }
bool cpu_refund_allowed() { return refund_allowed; }

void open_cycle_hook_library(ThreadState* thread) {
  register_native(thread, "__refund_cpu__", refund_cpu);
  register_native(thread, "__yielded_to_escape_slice", yielded_to_escape_slice);
  register_native(thread, "__superyield", superyield);
}

}  // namespace tamori::lang
