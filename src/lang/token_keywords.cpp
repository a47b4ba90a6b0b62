#include "lang/token_keywords.h"

#include <array>
#include <cstdint>

namespace tamori::lang {
namespace {

constexpr unsigned kSlotCount = 8192;
constexpr size_t kLongestWord = 15;

struct WordEntry {
  std::string_view word;
  WordKind kind;
};

constexpr WordEntry kWords[] = {
    {"and", WordKind::kKeyword}, {"break", WordKind::kKeyword}, {"do", WordKind::kKeyword},
    {"else", WordKind::kKeyword}, {"elseif", WordKind::kKeyword}, {"for", WordKind::kKeyword},
    {"function", WordKind::kKeyword}, {"goto", WordKind::kKeyword}, {"if", WordKind::kKeyword},
    {"in", WordKind::kKeyword}, {"not", WordKind::kKeyword}, {"or", WordKind::kKeyword},
    {"repeat", WordKind::kKeyword}, {"return", WordKind::kKeyword}, {"then", WordKind::kKeyword},
    {"until", WordKind::kKeyword}, {"while", WordKind::kKeyword}, {"true", WordKind::kKeyword},
    {"false", WordKind::kKeyword}, {"nil", WordKind::kKeyword},
    {"end", WordKind::kFreeKeyword}, {"local", WordKind::kFreeKeyword},
    {"foreach", WordKind::kBuiltinName}, {"all", WordKind::kBuiltinName},
    {"menuitem", WordKind::kBuiltinName}, {"pairs", WordKind::kBuiltinName},
    {"ipairs", WordKind::kBuiltinName},
    // The API functions, in the order the console registers them.
    {"deli", WordKind::kBuiltinName}, {"add", WordKind::kBuiltinName},
    {"del", WordKind::kBuiltinName}, {"count", WordKind::kBuiltinName},
    {"flip", WordKind::kBuiltinName}, {"reset", WordKind::kBuiltinName},
    {"camera", WordKind::kBuiltinName}, {"clip", WordKind::kBuiltinName},
    {"cls", WordKind::kBuiltinName}, {"ls", WordKind::kBuiltinName},
    {"pset", WordKind::kBuiltinName}, {"pget", WordKind::kBuiltinName},
    {"color", WordKind::kBuiltinName}, {"print", WordKind::kBuiltinName},
    {"printh", WordKind::kBuiltinName}, {"tostr", WordKind::kBuiltinName},
    {"cursor", WordKind::kBuiltinName}, {"tonum", WordKind::kBuiltinName},
    {"spr", WordKind::kBuiltinName}, {"sspr", WordKind::kBuiltinName},
    {"rect", WordKind::kBuiltinName}, {"rectfill", WordKind::kBuiltinName},
    {"rrect", WordKind::kBuiltinName}, {"rrectfill", WordKind::kBuiltinName},
    {"circ", WordKind::kBuiltinName}, {"circfill", WordKind::kBuiltinName},
    {"oval", WordKind::kBuiltinName}, {"ovalfill", WordKind::kBuiltinName},
    {"line", WordKind::kBuiltinName}, {"tline", WordKind::kBuiltinName},
    {"pal", WordKind::kBuiltinName}, {"palt", WordKind::kBuiltinName},
    {"fillp", WordKind::kBuiltinName}, {"map", WordKind::kBuiltinName},
    {"mget", WordKind::kBuiltinName}, {"mset", WordKind::kBuiltinName},
    {"fget", WordKind::kBuiltinName}, {"fset", WordKind::kBuiltinName},
    {"sget", WordKind::kBuiltinName}, {"sset", WordKind::kBuiltinName},
    {"music", WordKind::kBuiltinName}, {"sfx", WordKind::kBuiltinName},
    {"serial", WordKind::kBuiltinName}, {"memcpy", WordKind::kBuiltinName},
    {"memset", WordKind::kBuiltinName}, {"reload", WordKind::kBuiltinName},
    {"cstore", WordKind::kBuiltinName}, {"rnd", WordKind::kBuiltinName},
    {"srand", WordKind::kBuiltinName}, {"ceil", WordKind::kBuiltinName},
    {"sgn", WordKind::kBuiltinName}, {"abs", WordKind::kBuiltinName},
    {"mid", WordKind::kBuiltinName}, {"cos", WordKind::kBuiltinName},
    {"sin", WordKind::kBuiltinName}, {"sqrt", WordKind::kBuiltinName},
    {"atan2", WordKind::kBuiltinName}, {"bnot", WordKind::kBuiltinName},
    {"flr", WordKind::kBuiltinName}, {"band", WordKind::kBuiltinName},
    {"bor", WordKind::kBuiltinName}, {"bxor", WordKind::kBuiltinName},
    {"shl", WordKind::kBuiltinName}, {"shr", WordKind::kBuiltinName},
    {"lshr", WordKind::kBuiltinName}, {"rotl", WordKind::kBuiltinName},
    {"rotr", WordKind::kBuiltinName}, {"min", WordKind::kBuiltinName},
    {"max", WordKind::kBuiltinName}, {"peek", WordKind::kBuiltinName},
    {"peek2", WordKind::kBuiltinName}, {"peek4", WordKind::kBuiltinName},
    {"poke", WordKind::kBuiltinName}, {"poke2", WordKind::kBuiltinName},
    {"poke4", WordKind::kBuiltinName}, {"load", WordKind::kBuiltinName},
    {"run", WordKind::kBuiltinName}, {"stop", WordKind::kBuiltinName},
    {"time", WordKind::kBuiltinName}, {"scoresub", WordKind::kBuiltinName},
    {"extcmd", WordKind::kBuiltinName}, {"btn", WordKind::kBuiltinName},
    {"btnp", WordKind::kBuiltinName}, {"cartdata", WordKind::kBuiltinName},
    {"dget", WordKind::kBuiltinName}, {"dset", WordKind::kBuiltinName},
    {"stat", WordKind::kBuiltinName}, {"sub", WordKind::kBuiltinName},
    {"chr", WordKind::kBuiltinName}, {"ord", WordKind::kBuiltinName},
    {"split", WordKind::kBuiltinName}, {"type", WordKind::kBuiltinName},
    {"next", WordKind::kBuiltinName}, {"setmetatable", WordKind::kBuiltinName},
    {"getmetatable", WordKind::kBuiltinName}, {"rawequal", WordKind::kBuiltinName},
    {"rawlen", WordKind::kBuiltinName}, {"rawget", WordKind::kBuiltinName},
    {"rawset", WordKind::kBuiltinName}, {"assert", WordKind::kBuiltinName},
    {"cocreate", WordKind::kBuiltinName}, {"coresume", WordKind::kBuiltinName},
    {"yield", WordKind::kBuiltinName}, {"costatus", WordKind::kBuiltinName},
    {"unpack", WordKind::kBuiltinName}, {"pack", WordKind::kBuiltinName},
    {"select", WordKind::kBuiltinName},
};

// Slot -> index into kWords plus one (0 = empty slot).
using SlotTable = std::array<uint8_t, kSlotCount>;
static_assert(sizeof(kWords) / sizeof(kWords[0]) < 255);

const SlotTable& slot_table() {
  static const SlotTable table = [] {
    SlotTable filled{};
    for (size_t i = 0; i < sizeof(kWords) / sizeof(kWords[0]); ++i) {
      filled[word_slot(kWords[i].word)] = uint8_t(i + 1);
    }
    return filled;
  }();
  return table;
}

}  // namespace

unsigned word_slot(std::string_view word) {
  unsigned slot = 0x67d;
  for (unsigned char byte : word) slot = ((byte * slot) & 0x1fff) ^ 0x1c62;
  return slot;
}

WordKind lookup_word(std::string_view word) {
  if (word.empty() || word.size() > kLongestWord) return WordKind::kName;
  uint8_t entry = slot_table()[word_slot(word)];
  if (entry == 0 || kWords[entry - 1].word != word) return WordKind::kName;
  return kWords[entry - 1].kind;
}

}  // namespace tamori::lang
