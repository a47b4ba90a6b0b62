// The share address: a web address that carries a cartridge's compressed
// code and sprite sheet, for pasting into the cartridge-sharing page.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>
#include <span>
#include <string>

#include "cart/cartridge.h"
#include "cart/cartridge_host.h"

namespace tamori::cart {

inline constexpr const char* kShareBaseAddress = "https://example.invalid/share";
// Addresses of this many characters or more are refused.
inline constexpr std::size_t kMaxShareAddressLength = 2040;

// Base64 with "_" and "-" for values 62 and 63, padded with "=".
std::string share_base64(std::span<const uint8_t> bytes);

// The sprite pixels up to the last non-zero one as runs of one colour of at
// most 67 pixels; empty for an empty sprite sheet.
std::string sprite_run_text(const Cartridge& cartridge);

// The address for a record whose stored (compressed) code is `stored_code`.
std::string compose_share_address(const Cartridge& cartridge, std::span<const uint8_t> stored_code);

// The reverse of share_base64; nothing when the text holds a character
// outside the alphabet or is cut short.
std::optional<std::vector<uint8_t>> read_share_base64(std::string_view text);

// A cartridge built from a share address's two parts: the code (compressed
// bytes in share base64) and the sprite runs. Either may be empty; nothing
// when one does not decode. Runs past the end of the sprite sheet stop it.
std::unique_ptr<Cartridge> read_share_data(std::string_view code, std::string_view sprites);

// Puts the address on the clipboard when it is short enough, and tells the
// user. 0 when the address was copied, 1 otherwise.
int share_cartridge(const Cartridge& cartridge, const CartridgeHost& host);

}  // namespace tamori::cart
