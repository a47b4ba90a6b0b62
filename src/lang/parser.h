// The single-pass recursive-descent parser: reads the token stream and drives
// the code generator statement by statement.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "lang/compiler_state.h"

namespace tamori::lang {

// Compiles a whole chunk into its main function (a vararg function with the
// single upvalue _ENV). Throws CompileFailure at the first error.
std::unique_ptr<CompiledFunction> parse_chunk(CompilerState& compiler, std::string_view source,
                                              const std::string& chunk_name);

}  // namespace tamori::lang
