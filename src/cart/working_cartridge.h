// The working cartridge: the one record the console runs, with the file it
// came from and its identity hash. The shell owns one WorkingCartridge; a
// load replaces its record only when the new one loaded.
#pragma once

#include <memory>
#include <string>

#include "cart/cartridge.h"
#include "cart/cartridge_host.h"

namespace tamori::cart {

inline constexpr std::size_t kMaxSavedCodeLength = 65536;

struct WorkingCartridge {
  std::unique_ptr<Cartridge> cartridge = create_cartridge();
  std::string file_name;
  // Identity hash after the code tabs were merged; names the sandbox file.
  std::string hash;
  // Where the cartridge's own persistent writes go:
  // data folder + "cstore/__" + hash + ".tm".
  std::string sandbox_file;
};

struct WorkingLoadOptions {
  // The cartridge runs in a sandbox (it came from the board): the patches
  // it wrote to its sandbox file are applied on load.
  bool sandboxed = false;
};

// Tries the name's candidates (cartridge_name_candidates) in order; a
// future-version file ends the search. 0 and the record installed, or 1 with
// the working cartridge unchanged.
int load_working_cartridge(WorkingCartridge& working, const CartridgeHost& host, const std::string& name,
                           const WorkingLoadOptions& options = {});

// Installs `loaded` as the working record (releasing the old one) and
// prepares it: legacy fix-ups, the shared region, the hashes and the
// sandbox patch.
void install_working_cartridge(WorkingCartridge& working, const CartridgeHost& host, std::unique_ptr<Cartridge> loaded,
                               const WorkingLoadOptions& options = {});

// 0 on success (the name becomes the file name, the hash is recomputed),
// 1 on failure (both unchanged).
int save_working_cartridge(WorkingCartridge& working, const CartridgeHost& host, const std::string& name);

// True when a line of the code starts (after spaces and tabs) with
// "#include ", which saving cannot expand.
bool code_has_include(const std::string& code);

}  // namespace tamori::cart
