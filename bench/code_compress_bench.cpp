// Compressing and decompressing a full-size program (65535 bytes of code
// taken from the real cartridges) against the PNG codec's deflate on the
// same text as the reference. Goals: compression under 100 ms, decompression
// under 2 ms.
#include <benchmark/benchmark.h>
#include <lodepng.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cart/code_compress.h"
#include "cart/text_reader.h"

namespace {

using namespace tamori::cart;

// The real cartridges' code, in name order, repeated up to the longest code
// the compressor takes.
const std::string& full_size_program() {
  static const std::string program = [] {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TAMORI_SHARED_DIR) + "/carts"))
      if (entry.path().extension() == ".tm") paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    std::string code;
    std::string all_code;
    for (const std::string& path : paths) {
      TextLoadResult loaded = load_cartridge_text(path);
      if (loaded.cartridge) all_code += loaded.cartridge->code + "\n";
    }
    while (!all_code.empty() && code.size() < kMaxCodeLength) code += all_code;
    code.resize(kMaxCodeLength, ' ');
    return code;
  }();
  return program;
}

void BM_CompressFullProgram(benchmark::State& bench) {
  const std::string& program = full_size_program();
  std::size_t stored_size = 0;
  for (auto _ : bench) {
    std::vector<uint8_t> stored = compress_code(program);
    stored_size = stored.size();
    benchmark::DoNotOptimize(stored.data());
  }
  bench.counters["stored_bytes"] = static_cast<double>(stored_size);
}
BENCHMARK(BM_CompressFullProgram)->Unit(benchmark::kMillisecond);

void BM_DecompressFullProgram(benchmark::State& bench) {
  const std::string& program = full_size_program();
  std::vector<uint8_t> stored = compress_code(program);
  for (auto _ : bench) {
    std::string text = decompress_code(stored);
    if (text.size() != program.size()) bench.SkipWithError("decompressed text differs in length");
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_DecompressFullProgram)->Unit(benchmark::kMicrosecond);

// Reference: deflate and inflate of the same text by the PNG codec.
void BM_ReferenceDeflateFullProgram(benchmark::State& bench) {
  const std::string& program = full_size_program();
  for (auto _ : bench) {
    std::vector<unsigned char> deflated;
    lodepng::compress(deflated, reinterpret_cast<const unsigned char*>(program.data()), program.size());
    benchmark::DoNotOptimize(deflated.data());
  }
}
BENCHMARK(BM_ReferenceDeflateFullProgram)->Unit(benchmark::kMillisecond);

void BM_ReferenceInflateFullProgram(benchmark::State& bench) {
  const std::string& program = full_size_program();
  std::vector<unsigned char> deflated;
  lodepng::compress(deflated, reinterpret_cast<const unsigned char*>(program.data()), program.size());
  for (auto _ : bench) {
    std::vector<unsigned char> inflated;
    lodepng::decompress(inflated, deflated.data(), deflated.size());
    benchmark::DoNotOptimize(inflated.data());
  }
}
BENCHMARK(BM_ReferenceInflateFullProgram)->Unit(benchmark::kMicrosecond);

}  // namespace
