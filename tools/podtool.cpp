// Build-time tool: assembles data.pod from the editable sources in assets/.
//   podtool <assets folder> <output file>
#include <cstdio>

#include "asset_sources.h"
#include "host/files.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: podtool <assets folder> <output data.pod>\n");
    return 2;
  }
  tamori::tools::AssetResult result = tamori::tools::build_console_pod(argv[1]);
  for (const auto& error : result.errors)
    std::fprintf(stderr, "%s:%d: %s\n", error.file.c_str(), error.line, error.message.c_str());
  if (!result.pod) return 1;
  std::vector<uint8_t> bytes = tamori::host::pod_encode(*result.pod);
  if (!tamori::host::write_file(argv[2], bytes.data(), bytes.size())) {
    std::fprintf(stderr, "podtool: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
