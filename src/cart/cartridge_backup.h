// Backup copies of cartridge files in the data folder's "backup/".
#pragma once

#include <string>

#include "cart/cartridge_host.h"
#include "cart/working_cartridge.h"

namespace tamori::cart {

// At most this much of an existing file is copied.
inline constexpr std::size_t kMaxBackupCopySize = std::size_t(1) << 20;

// The backup path for `path`: "backup/" in the data folder, then (with
// `timestamp`) "YYYYMMDD_HHMMSS_" of the local time, then the file's name
// ("untitled.tm" for an empty path).
std::string backup_path(const CartridgeHost& host, const std::string& path, bool timestamp);

// With `copy_existing` the bytes of the file at `path` are copied; otherwise
// the working record is saved there in the format its name selects.
void backup_cartridge(const WorkingCartridge& working, const CartridgeHost& host, const std::string& path,
                      bool copy_existing, bool timestamp);

// Saves the working record as "backup/last_run.tm", as each run does.
void backup_last_run(const WorkingCartridge& working, const CartridgeHost& host);

}  // namespace tamori::cart
