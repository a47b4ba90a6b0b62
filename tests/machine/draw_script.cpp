#include "draw_script.h"

#include <cstdlib>
#include <optional>
#include <sstream>
#include <utility>

#include "host/console_data.h"
#include "machine/draw_state_functions.h"
#include "machine/line_functions.h"
#include "machine/map_functions.h"
#include "machine/memory.h"
#include "machine/memory_map.h"
#include "machine/oval_functions.h"
#include "machine/palette_functions.h"
#include "machine/print_functions.h"
#include "machine/rectangle_functions.h"
#include "machine/sprite_functions.h"
#include "machine/tline_functions.h"

namespace tamori::machine::testing {

namespace {

struct Arguments {
  std::vector<int32_t> raw;
  size_t count() const { return raw.size(); }
  NumberArgument optional(size_t i) const { return i < raw.size() ? NumberArgument(raw[i]) : std::nullopt; }
  std::optional<int32_t> optional_integer(size_t i) const {
    return i < raw.size() ? std::optional<int32_t>(raw[i] >> 16) : std::nullopt;
  }
  int32_t integer(size_t i) const { return i < raw.size() ? raw[i] >> 16 : 0; }
};

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool run_shape(MachineState& state, const std::string& name, const Arguments& a) {
  if (name == "pset")
    pset(state, a.integer(0), a.integer(1), a.optional(2));
  else if (name == "rect")
    rect(state, a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.optional(4));
  else if (name == "rectfill")
    rectfill(state, a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.optional(4));
  else if (name == "oval")
    oval(state, a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.optional(4));
  else if (name == "ovalfill")
    ovalfill(state, a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.optional(4));
  else if (name == "circ")
    circ(state, a.integer(0), a.integer(1), a.optional(2), a.optional(3));
  else if (name == "circfill")
    circfill(state, a.integer(0), a.integer(1), a.optional(2), a.optional(3));
  else if (name == "rrect")
    rrect(state, a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.integer(4), a.optional(5));
  else if (name == "rrectfill")
    rrectfill(state, a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.integer(4), a.optional(5));
  else
    return false;
  return true;
}

bool run_state_call(MachineState& state, const std::string& name, const Arguments& a) {
  if (name == "line") {
    if (a.count() <= 1)
      line_break(state, a.optional(0));
    else if (a.count() <= 3)
      line_to(state, a.integer(0), a.integer(1), a.optional(2));
    else
      line_between(state, a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.optional(4));
  } else if (name == "cls") {
    cls(state, a.optional(0));
  } else if (name == "color") {
    color(state, a.optional(0));
  } else if (name == "camera") {
    camera(state, a.integer(0), a.integer(1));
  } else if (name == "clip") {
    std::optional<ClipArguments> clip_arguments;
    if (a.count() >= 4)
      clip_arguments =
          ClipArguments{a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.count() > 4 && a.raw[4] != 0};
    clip(state, clip_arguments);
  } else if (name == "fillp") {
    fillp(state, a.optional(0));
  } else if (name == "pal") {
    if (a.count() >= 2)
      pal_set(state, a.integer(0), a.integer(1), a.optional_integer(2));
    else
      pal_reset(state, a.optional_integer(0));
  } else if (name == "palt") {
    if (a.count() == 0)
      palt_reset(state);
    else if (a.count() == 1)
      palt_bits(state, a.integer(0));
    else
      palt_set(state, a.integer(0), a.raw[1] != 0);
  } else if (name == "poke") {
    write_memory_byte(state, static_cast<uint32_t>(a.integer(0)), static_cast<uint32_t>(a.integer(1)));
  } else {
    return false;
  }
  return true;
}

// Sprites, map and textured lines; flips are read from the sixth (spr) and
// ninth (sspr) arguments on, as the binding does.
bool run_sprite_call(MachineState& state, const std::string& name, const Arguments& a) {
  auto truth = [&](size_t i) { return i < a.count() && a.raw[i] != 0; };
  if (name == "spr") {
    bool flips = a.count() >= 6;
    spr(state, a.integer(0), a.integer(1), a.integer(2), a.count() >= 4 ? a.optional(3) : std::nullopt,
        a.optional(4), flips && truth(5), flips && truth(6));
  } else if (name == "sspr") {
    std::optional<int32_t> dw = a.count() >= 7 ? std::optional<int32_t>(a.integer(6)) : std::nullopt;
    sspr(state, a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.integer(4), a.integer(5), dw,
         a.optional_integer(7), truth(8), truth(9));
  } else if (name == "map") {
    MapArguments m{a.integer(0), a.integer(1), a.integer(2), a.integer(3), a.optional_integer(4),
                   a.optional_integer(5), a.integer(6)};
    map(state, m);
  } else if (name == "tline") {
    if (a.count() <= 1) {
      tline_precision(state, a.optional_integer(0));
    } else {
      TlineArguments t{a.integer(0), a.integer(1), a.integer(2),  a.integer(3), a.count() > 4 ? a.raw[4] : 0,
                       a.count() > 5 ? a.raw[5] : 0, a.optional(6), a.optional(7), a.integer(8)};
      tline(state, t);
    }
  } else if (name == "mset") {
    mset(state, a.integer(0), a.integer(1), a.integer(2));
  } else if (name == "fset") {
    if (a.count() >= 3)
      fset_flag(state, a.integer(0), a.integer(1), a.raw[2] != 0);
    else if (a.count() == 2)
      fset_byte(state, a.integer(0), a.integer(1));
  } else if (name == "sset") {
    sset(state, a.integer(0), a.integer(1), a.optional(2));
  } else {
    return false;
  }
  return true;
}

// "sheet X Y PIXELS": writes one row of sprite-sheet pixels ('.' or a hex digit each).
std::string run_sheet_row(MachineState& state, std::istringstream& words) {
  int x = 0, y = 0;
  std::string pixels;
  if (!(words >> x >> y >> pixels)) return "sheet needs X Y PIXELS";
  for (size_t i = 0; i < pixels.size(); ++i) {
    int value = pixels[i] == '.' ? 0 : hex_digit(pixels[i]);
    if (value < 0) return "not a pixel: " + pixels.substr(i, 1);
    sset(state, x + static_cast<int>(i), y, static_cast<int32_t>(static_cast<uint32_t>(value) << 16));
  }
  return "";
}

}  // namespace

std::unique_ptr<MachineState> new_drawing_machine() {
  auto state = std::make_unique<MachineState>();
  init_machine_state(*state);
  return state;
}

bool parse_script_number(const std::string& text, int32_t* raw) {
  size_t at = 0;
  bool negative = !text.empty() && text[0] == '-';
  if (negative) ++at;
  uint32_t bits = 0;
  if (text.compare(at, 2, "0x") == 0) {
    at += 2;
    uint32_t whole = 0, fraction = 0;
    size_t digits = 0;
    for (; at < text.size() && hex_digit(text[at]) >= 0; ++at, ++digits) whole = whole * 16 + hex_digit(text[at]);
    if (at < text.size() && text[at] == '.') {
      int shift = 12;
      for (++at; at < text.size() && hex_digit(text[at]) >= 0 && shift >= 0; ++at, shift -= 4)
        fraction |= static_cast<uint32_t>(hex_digit(text[at])) << shift;
    }
    if (digits == 0 || at != text.size()) return false;
    bits = (whole << 16) | fraction;
  } else {
    char* end = nullptr;
    double value = std::strtod(text.c_str() + at, &end);
    if (end == text.c_str() + at || *end != '\0') return false;
    bits = static_cast<uint32_t>(static_cast<int64_t>(value * 65536.0));
  }
  *raw = static_cast<int32_t>(negative ? 0u - bits : bits);
  return true;
}

std::string run_draw_command(MachineState& state, const std::string& line) {
  std::istringstream words(line);
  std::string name, word;
  words >> name;
  if (name == "sheet") return run_sheet_row(state, words);
  Arguments arguments;
  while (words >> word) {
    int32_t raw = 0;
    if (!parse_script_number(word, &raw)) return "not a number: " + word;
    arguments.raw.push_back(raw);
  }
  if (run_shape(state, name, arguments) || run_state_call(state, name, arguments) ||
      run_sprite_call(state, name, arguments))
    return "";
  return "unknown call: " + name;
}

namespace {

char escape_code(char c) {
  switch (c) {
    case 'n': return '\n';
    case 't': return '\t';
    case 'a': return '\a';
    case 'b': return '\b';
    case 'v': return '\v';
    case 'f': return '\f';
    case 'r': return '\r';
    case '*': return 1;
    case '#': return 2;
    case '-': return 3;
    case '|': return 4;
    case '+': return 5;
    case '^': return 6;
    default: return c;
  }
}

std::string unescaped(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      result += text[i];
      continue;
    }
    ++i;
    if (text[i] >= '0' && text[i] <= '9') {
      int code = 0;
      for (int digits = 0; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '9'; ++digits, ++i)
        code = code * 10 + (text[i] - '0');
      --i;
      result += static_cast<char>(code);
    } else {
      result += escape_code(text[i]);
    }
  }
  return result;
}

}  // namespace

TextState new_text_state() {
  static const std::optional<host::ConsoleData> data =
      host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  TextState text;
  if (data) set_builtin_font(text, data->font);
  return text;
}

std::string run_draw_command(MachineState& state, TextState& text, const std::string& line) {
  std::istringstream words(line);
  std::string name;
  words >> name;
  if (name == "continue") {
    continue_print(state, text);
    return "";
  }
  if (name == "printhere") {
    std::string rest;
    std::getline(words >> std::ws, rest);
    print(state, text, PrintArguments{unescaped(rest), std::nullopt, std::nullopt, std::nullopt, true});
    return "";
  }
  if (name != "print") return run_draw_command(state, line);
  std::string x_word, y_word, colour_word, rest;
  words >> x_word >> y_word >> colour_word;
  std::getline(words >> std::ws, rest);
  int32_t x = 0, y = 0, colour = 0;
  if (!parse_script_number(x_word, &x) || !parse_script_number(y_word, &y) ||
      !parse_script_number(colour_word, &colour))
    return "print needs X Y COL TEXT";
  print(state, text, PrintArguments{unescaped(rest), x >> 16, y >> 16, colour, true});
  return "";
}

std::vector<std::string> draw_target_picture(const MachineState& state, int x, int y, int w, int h) {
  static const char kDigits[] = ".123456789abcdef";
  std::vector<std::string> rows;
  for (int row = y; row < y + h; ++row) {
    std::string text;
    for (int column = x; column < x + w; ++column)
      text += kDigits[state.draw_target->pixels[row * kPixelPageSize + column] & 15];
    rows.push_back(text);
  }
  return rows;
}

}  // namespace tamori::machine::testing
