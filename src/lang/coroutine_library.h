// The coroutine functions of the cartridge language: `cocreate`, `coresume`
// (also as the prelude's private `__coresume`), `costatus` and `yield`, with
// the semantics of the reference design's coroutine library. Part of the
// language library (lang/library.h).
#pragma once

#include "lang/state.h"

namespace tamori::lang {

void open_coroutine_library(ThreadState* state);

}  // namespace tamori::lang
