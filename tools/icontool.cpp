// Build-time tool: draws the data file's window icon (item 1.6) through its
// palette as a square PNG of the asked size, for the desktop's icon theme.
//   icontool <data.pod> <size> <output.png>
// Each pixel takes the colour of the icon pixel under it (no smoothing), so
// the icon keeps its hard edges at any size; colour 0 stays transparent.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include <lodepng.h>

#include "host/console_data.h"
#include "machine/display.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: icontool <data.pod> <size> <output.png>\n");
    return 2;
  }
  const int size = std::atoi(argv[2]);
  if (size < 1 || size > 1024) {
    std::fprintf(stderr, "icontool: size must be 1..1024\n");
    return 2;
  }
  std::optional<tamori::host::ConsoleData> data = tamori::host::load_console_data(argv[1]);
  if (!data || data->icon.width <= 0 || data->icon.height <= 0 ||
      data->icon.pixels.size() < size_t(data->icon.width) * size_t(data->icon.height)) {
    std::fprintf(stderr, "icontool: no window icon in %s\n", argv[1]);
    return 1;
  }
  const tamori::host::PodImage& icon = data->icon;
  std::vector<uint8_t> rgba(size_t(size) * size_t(size) * 4);
  for (int y = 0; y < size; y++) {
    for (int x = 0; x < size; x++) {
      const uint8_t code = icon.pixels[size_t(y * icon.height / size) * size_t(icon.width) + size_t(x * icon.width / size)];
      const uint32_t argb = tamori::machine::code_to_argb_with_transparency(code, data->palette);
      uint8_t* pixel = &rgba[(size_t(y) * size_t(size) + size_t(x)) * 4];
      pixel[0] = uint8_t(argb >> 16);
      pixel[1] = uint8_t(argb >> 8);
      pixel[2] = uint8_t(argb);
      pixel[3] = uint8_t(argb >> 24);
    }
  }
  if (lodepng_encode32_file(argv[3], rgba.data(), unsigned(size), unsigned(size)) != 0) {
    std::fprintf(stderr, "icontool: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
