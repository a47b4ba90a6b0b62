// The identity hash of a cartridge: forty lowercase hex digits that change
// whenever its data or code changes. It names the cartridge's sandboxed
// persistent-write file.
#pragma once

#include <string>

#include "cart/cartridge.h"

namespace tamori::cart {

// SHA-1 of the cartridge's 32 KB image with the code replaced by the hex
// SHA-1 of the code; forty "0" without a record.
std::string cartridge_hash(const Cartridge* cartridge);

}  // namespace tamori::cart
