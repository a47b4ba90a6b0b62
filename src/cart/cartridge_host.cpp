#include "cart/cartridge_host.h"

namespace tamori::cart {

void show_host_message(const CartridgeHost& host, const std::string& text, int milliseconds) {
  if (host.show_message) host.show_message(text, milliseconds);
}

void print_host_line(const CartridgeHost& host, const std::string& text, int colour) {
  if (host.print) host.print(text, colour);
}

void set_host_clipboard(const CartridgeHost& host, const std::string& text) {
  if (host.set_clipboard) host.set_clipboard(text);
}

}  // namespace tamori::cart
