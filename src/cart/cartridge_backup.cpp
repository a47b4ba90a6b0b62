#include "cart/cartridge_backup.h"

#include <cstdio>

#include "cart/binary_formats.h"
#include "cart/cartridge_loader.h"
#include "cart/file_start.h"
#include "cart/text_writer.h"
#include "host/files.h"

namespace tamori::cart {
namespace {

std::tm current_local_time(const CartridgeHost& host) {
  if (host.local_time) return host.local_time();
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string file_part(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void save_in_format_of_name(const Cartridge& cartridge, const std::string& path, const CartridgeHost& host) {
  switch (file_format_for_name(path)) {
    case CartridgeFileFormat::picture: save_picture_cartridge(cartridge, path, host); break;
    case CartridgeFileFormat::rom: save_rom_cartridge(cartridge, path, host); break;
    case CartridgeFileFormat::text: save_cartridge_text(cartridge, path); break;
  }
}

}  // namespace

std::string backup_path(const CartridgeHost& host, const std::string& path, bool timestamp) {
  std::string target = host.data_folder + "backup/";
  if (timestamp) {
    std::tm local = current_local_time(host);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%4d%02d%02d_%02d%02d%02d_", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec);
    target += stamp;
  }
  std::string name = file_part(path);
  return target + (name.empty() ? "untitled.tm" : name);
}

void backup_cartridge(const WorkingCartridge& working, const CartridgeHost& host, const std::string& path,
                      bool copy_existing, bool timestamp) {
  host::make_folders(host.data_folder + "backup");
  std::string target = backup_path(host, path, timestamp);
  if (copy_existing) {
    auto bytes = read_file_start(path, kMaxBackupCopySize);
    if (bytes) host::write_file(target, bytes->data(), bytes->size());
    return;
  }
  // A backup is made on the side: its writing messages would only confuse.
  CartridgeHost quiet_host = host;
  quiet_host.print = nullptr;
  quiet_host.show_message = nullptr;
  save_in_format_of_name(*working.cartridge, target, quiet_host);
}

void backup_last_run(const WorkingCartridge& working, const CartridgeHost& host) {
  backup_cartridge(working, host, "last_run.tm", false, false);
}

}  // namespace tamori::cart
