// Changes made once to cartridges saved by early versions of the console, so
// that they sound and run as they did then.
#pragma once

#include "cart/cartridge.h"
#include "cart/cartridge_host.h"

namespace tamori::cart {

// The code line that marks the one early cartridge written against the
// first built-in functions, and the definitions put in front of its code.
extern const char* const kEarlyApiTrigger;
extern const char* const kEarlyApiPrelude;

// Runs the fix-ups for the record's version unless they already ran.
void apply_legacy_fixups(Cartridge& cartridge, const CartridgeHost& host);

}  // namespace tamori::cart
