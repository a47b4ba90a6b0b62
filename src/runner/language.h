// The runner and the console's bindings reach the language only through its
// embedding interface; inside the runner its names are used unqualified.
#pragma once

#include "lang/api.h"

namespace tamori::runner {
using namespace tamori::lang;
}  // namespace tamori::runner
