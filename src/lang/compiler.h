// Entry point of the cartridge language compiler: source text in, a compiled
// main function or the first error out.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "lang/compiled_function.h"
#include "lang/compiler_error.h"

namespace tamori::lang {

struct CompileOptions {
  // Maps a line of the source to the line and code tab that messages show
  // ("at line %d (tab %d)"); when empty, lines are shown as they are with tab 0.
  std::function<SourceLocation(int line)> locate_line;
};

struct CompileResult {
  std::unique_ptr<CompiledFunction> function;  // null on error
  std::string error_message;  // e.g. "'=' expected near 'x'"
  std::string full_message;   // chunk name, line and message: "name:3: '=' expected near 'x'"
  int error_line = 0;         // line of the statement being compiled
  int lexer_line = 0;         // line the lexer had reached

  bool ok() const { return function != nullptr; }
};

CompileResult compile_chunk(std::string_view source, std::string_view chunk_name,
                            const CompileOptions& options = {});

}  // namespace tamori::lang
