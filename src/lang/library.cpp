#include "lang/library.h"

#include "lang/coroutine_library.h"

namespace tamori::lang {

void register_language_library(ThreadState* thread) {
  open_base_library(thread);
  open_table_library(thread);
  open_string_library(thread);
  open_number_library(thread);
  open_coroutine_library(thread);
  open_cycle_hook_library(thread);
}

}  // namespace tamori::lang
