#include "lang/compiler.h"

#include "lang/compiler_state.h"
#include "lang/parser.h"

namespace tamori::lang {

CompileResult compile_chunk(std::string_view source, std::string_view chunk_name,
                            const CompileOptions& options) {
  CompileResult result;
  CompilerState compiler;
  compiler.lexer.locate = options.locate_line;
  try {
    result.function = parse_chunk(compiler, source, std::string(chunk_name));
  } catch (const CompileFailure& failure) {
    result.function.reset();
    result.error_message = failure.message;
    result.lexer_line = failure.line;
    result.error_line = compiler.statement_line > 0 ? compiler.statement_line : failure.line;
    result.full_message =
        std::string(chunk_name) + ":" + std::to_string(failure.line) + ": " + failure.message;
  }
  return result;
}

}  // namespace tamori::lang
