// Loading a cartridge file in whichever format it holds, and the file names
// tried when a cartridge is asked for by name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cart/cartridge.h"
#include "cart/cartridge_host.h"
#include "cart/text_reader.h"

namespace tamori::cart {

struct CartridgeLoadResult {
  std::unique_ptr<Cartridge> cartridge;  // null when nothing loaded
  // Why nothing loaded; future_version ends a search through several names.
  TextLoadStatus status = TextLoadStatus::not_a_cartridge;
};

// Tries the picture format, then text, then (by name) the ROM format and
// program source files.
// The host gives the load options, the palette for labels read from pictures
// and where messages go.
CartridgeLoadResult load_cartridge_any_format(const std::string& path, const CartridgeHost& host);
CartridgeLoadResult load_cartridge_any_format(const std::string& path, const TextLoadOptions& options = {});

// The name with ".tm" put in: unchanged when it contains ".tm", before a
// final ".png" or ".rom", else appended.
std::string with_cartridge_extension(const std::string& name);

// The names tried in order for a cartridge asked for as `name`, without
// repeats.
std::vector<std::string> cartridge_name_candidates(const std::string& name);

// The file format a target name selects.
enum class CartridgeFileFormat { text, picture, rom };
CartridgeFileFormat file_format_for_name(const std::string& name);

}  // namespace tamori::cart
