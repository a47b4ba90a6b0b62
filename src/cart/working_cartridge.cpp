#include "cart/working_cartridge.h"

#include "cart/binary_formats.h"
#include "cart/cartridge_backup.h"
#include "cart/cartridge_bytes.h"
#include "cart/cartridge_hash.h"
#include "cart/cartridge_loader.h"
#include "cart/code_compress.h"
#include "cart/code_tabs.h"
#include "cart/legacy_fixups.h"
#include "cart/text_lines.h"
#include "cart/text_writer.h"
#include "host/files.h"
#include "host/log.h"

namespace tamori::cart {
namespace {

constexpr int kDetailColour = 6;
constexpr int kErrorColour = 8;
constexpr int kFailedSaveMilliseconds = 1500;

bool change_mask_bit(const Cartridge& cartridge, int address) {
  return (cartridge.change_mask[address / 8] >> (address % 8)) & 1;
}

// A sandboxed cartridge finds the bytes it stored with cstore in its own
// file; those marked in that file's change mask replace its own.
void apply_sandbox_patch(WorkingCartridge& working, const CartridgeHost& host) {
  host::ruvo_log("prepare_loaded_cart: looking for sandboxed cart patch: %s", working.sandbox_file.c_str());
  CartridgeLoadResult patch = load_cartridge_any_format(working.sandbox_file, host);
  if (!patch.cartridge) {
    host::ruvo_log("  not found");
    return;
  }
  host::ruvo_log("  found");
  for (int address = 0; address < kRomByteCount; ++address) {
    if (!change_mask_bit(*patch.cartridge, address)) continue;
    uint32_t byte_address = static_cast<uint32_t>(address);
    write_cartridge_byte(*working.cartridge, byte_address, read_cartridge_byte(*patch.cartridge, byte_address));
  }
}

void merge_code_tabs_in_place(Cartridge& cartridge) { cartridge.code = merge_code_tabs(split_code_tabs(cartridge.code)); }

bool label_is_blank(const Cartridge& cartridge) {
  const auto& label = cartridge.label;
  if (label.empty()) return true;
  for (uint8_t pixel : label)
    if (pixel != label[0]) return false;
  return true;
}

// The checks made before a save; false when the save cannot go on.
bool code_can_be_saved(const Cartridge& cartridge, const CartridgeHost& host, bool binary_target) {
  if (code_has_include(cartridge.code)) {
    print_host_line(host, "can not #include", kDetailColour);
    if (binary_target) return false;
  }
  if (cartridge.code.size() > kMaxSavedCodeLength) {
    print_host_line(host, "program over size limit", kErrorColour);
    return false;
  }
  std::size_t compressed_size = compress_code(cartridge.code).size();
  if (compressed_size <= kCompressedCodeLimit) return true;
  std::string sizes = std::to_string(compressed_size) + " / " + std::to_string(kCompressedCodeLimit) + " bytes";
  if (binary_target) {
    print_host_line(host, "compressed code size too large", kErrorColour);
    print_host_line(host, sizes, kDetailColour);
    return false;
  }
  print_host_line(host, "warning: compressed code too big", kErrorColour);
  print_host_line(host, "to be exported or saved as png", kDetailColour);
  print_host_line(host, sizes, kDetailColour);
  print_host_line(host, "(saving .tm anyway)", kDetailColour);
  return true;
}

int save_in_format(const Cartridge& cartridge, const std::string& path, CartridgeFileFormat format,
                   const CartridgeHost& host) {
  switch (format) {
    case CartridgeFileFormat::picture: return save_picture_cartridge(cartridge, path, host);
    case CartridgeFileFormat::rom: return save_rom_cartridge(cartridge, path, host);
    case CartridgeFileFormat::text: break;
  }
  return save_cartridge_text(cartridge, path);
}

}  // namespace

bool code_has_include(const std::string& code) {
  TextLines lines{code};
  std::string_view line;
  while (next_text_line(lines, &line)) {
    std::size_t start = line.find_first_not_of(" \t");
    if (start != std::string_view::npos && line.substr(start, 9) == "#include ") return true;
  }
  return false;
}

void install_working_cartridge(WorkingCartridge& working, const CartridgeHost& host, std::unique_ptr<Cartridge> loaded,
                               const WorkingLoadOptions& options) {
  if (working.cartridge && host.release_cartridge) host.release_cartridge(*working.cartridge);
  working.cartridge = std::move(loaded);
  Cartridge& cartridge = *working.cartridge;
  apply_legacy_fixups(cartridge, host);
  reconcile_shared_region(cartridge);
  merge_code_tabs_in_place(cartridge);
  working.hash = cartridge_hash(&cartridge);
  working.sandbox_file = host.data_folder + "cstore/__" + working.hash + ".tm";
  if (options.sandboxed) apply_sandbox_patch(working, host);
  if (host.cartridge_installed) host.cartridge_installed();
}

int load_working_cartridge(WorkingCartridge& working, const CartridgeHost& host, const std::string& name,
                           const WorkingLoadOptions& options) {
  for (const std::string& candidate : cartridge_name_candidates(name)) {
    CartridgeLoadResult result = load_cartridge_any_format(candidate, host);
    if (result.cartridge) {
      // The name is set first so that the installed callback sees it.
      working.file_name = candidate;
      install_working_cartridge(working, host, std::move(result.cartridge), options);
      return 0;
    }
    if (result.status == TextLoadStatus::future_version) return 1;
  }
  return 1;
}

int save_working_cartridge(WorkingCartridge& working, const CartridgeHost& host, const std::string& name) {
  Cartridge& cartridge = *working.cartridge;
  std::string target = with_cartridge_extension(name);
  CartridgeFileFormat format = file_format_for_name(target);
  merge_code_tabs_in_place(cartridge);

  int status = 1;
  if (code_can_be_saved(cartridge, host, format != CartridgeFileFormat::text)) {
    if (format == CartridgeFileFormat::picture && label_is_blank(cartridge)) {
      print_host_line(host, "warning: label is blank", 9);
      print_host_line(host, "run cart and ctrl-7 to capture", 10);
    }
    if (target != working.file_name && host::file_exists(target)) backup_cartridge(working, host, target, true, true);
    if (host.lock_audio) host.lock_audio();
    status = save_in_format(cartridge, target, format, host);
    if (host.unlock_audio) host.unlock_audio();
  }
  if (status != 0) {
    if (host.messages_enabled) show_host_message(host, "** failed to save **", kFailedSaveMilliseconds);
    return 1;
  }
  working.file_name = target;
  working.hash = cartridge_hash(&cartridge);
  return 0;
}

}  // namespace tamori::cart
