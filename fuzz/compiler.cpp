// Lexer, parser and code generator: any source compiles or fails with a
// message; compiled code lists.
#include "fuzz_support.h"
#include "lang/compiler.h"
#include "lang/listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  lang::CompileResult result = lang::compile_chunk(fuzz::as_text(data, size), "fuzz");
  if (!result.ok()) {
    fuzz::check(!result.error_message.empty(), "a failure has a message");
    return 0;
  }
  (void)lang::list_function(*result.function);
  return 0;
}
