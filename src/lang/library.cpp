#include "lang/library.h"

#include "lang/coroutine_library.h"
#include "lang/cpu_functions.h"

namespace tamori::lang {

void register_language_library(ThreadState* thread) {
  open_base_library(thread);
  open_table_library(thread);
  open_string_library(thread);
  open_number_library(thread);
  open_coroutine_library(thread);
  open_cpu_functions(thread);
}

void set_cpu_refund_allowed(ThreadState* thread, bool allowed) {
  thread->global->refund_allowed = allowed;
}

bool cpu_refund_allowed(ThreadState* thread) { return thread->global->refund_allowed; }

}  // namespace tamori::lang
