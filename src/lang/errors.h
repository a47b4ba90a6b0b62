// The one error mechanism of the interpreter. A run-time error stores its
// value (usually a message string) in the thread's error_value and throws
// LanguageError; protected calls and coroutine resumes catch it. Nothing
// outside the interpreter sees the exception: the embedding interface turns
// it into a RunStatus::Error result.
#pragma once

#include <string_view>

#include "lang/state.h"

namespace tamori::lang {

struct LanguageError {};

[[noreturn]] void throw_error_value(ThreadState* thread, Value error);
[[noreturn]] void throw_error_message(ThreadState* thread, std::string_view message);
// Raised when the allocator refuses a block; uses a preallocated string.
[[noreturn]] void throw_memory_error(ThreadState* thread);

}  // namespace tamori::lang
