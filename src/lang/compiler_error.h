// The one error type of the compiler. Lexer, parser and code generator throw
// it at the first error; compile_chunk catches it, so it never leaves the
// compiler.
#pragma once

#include <string>

namespace tamori::lang {

struct CompileFailure {
  std::string message;  // e.g. "'=' expected near 'x'"
  int line = 0;         // line of the source the lexer had reached
};

// Maps a line of the compiled text to the line and code tab shown in
// messages. The default keeps the line and reports tab 0.
struct SourceLocation {
  int line = 0;
  int tab = 0;
};

}  // namespace tamori::lang
