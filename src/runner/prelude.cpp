#include "runner/prelude.h"

#include <cstdio>

namespace tamori::runner {
namespace {

// The prelude after its first line. Everything here sits on one line: the
// program has to start on line 3. The natives it needs are captured into
// locals and their double-underscore globals deleted, so a program sees only
// the friendly forms. The locals live in a block of their own, since the
// program shares the prelude's chunk and would otherwise see them; only the
// two the built-in main loop calls after the program stay in scope.
constexpr const char* kPreludeBody =
    "local __stat, __flip_frame = stat; "
    "do "
    "local __refund_cpu__, __pairs__, __ipairs__, __type, __tostr, __stop, __print, __printh, __tostring__, "
    "__load, __extcmd, _menuitem, __yielded_to_escape_slice, __coresume, __select, __superyield, __flip, "
    "__mid, __get_menu_item_selected, __getmetatable, __costatus, __pack, __unpack = "
    "__refund_cpu__, __pairs__, __ipairs__, __type, __tostr, __stop, __print, __printh, __tostring__, "
    "__load, __extcmd, _menuitem, __yielded_to_escape_slice, __coresume, __select, __superyield, __flip, "
    "mid, _get_menu_item_selected, getmetatable, costatus, pack, unpack; "
    "_pausemenu = _pausemenu or {}; "
    "local __last_menu_index, __last_menu_callback; "
    "local function __nothing() end; "
    // menuitem: a missing index or callback takes the pause menu's last ones.
    "function menuitem(index, label, callback) "
    "if index == nil then index = __last_menu_index end "
    "if callback == nil then callback = __last_menu_callback end "
    "if __type(index) ~= 'number' then return __stop('bad menuitem index') end "
    "local slot = index & 0xff "
    "if slot < 1 or slot > 5 then return end "
    "_pausemenu[slot] = {label, callback} "
    "_menuitem(index, label) "
    "end; "
    "function pairs(t) if t == nil then return __nothing end return __pairs__(t) end; "
    "function ipairs(t) if t == nil then return __nothing end return __ipairs__(t) end; "
    // all: steps past the previous element only while it is still in place,
    // so deleting the current element does not skip the next one.
    "function all(t) "
    "if t == nil or #t == 0 then return __nothing end "
    "local n = #t "
    "__refund_cpu__(-(n < 16 and n or 16)) "
    "local i, previous = 1, nil "
    "return function() "
    "__refund_cpu__(-17) "
    "if t[i] == previous then i += 1 end "
    "while t[i] == nil and i <= #t do i += 1 end "
    "previous = t[i] "
    "return previous "
    "end "
    "end; "
    "function foreach(t, f) for v in all(t) do f(v) end end; "
    "local function __text_of(...) "
    "local count = __select('#', ...) "
    "local v = ... "
    "if count < 3 then "
    "local kind = __type(v) "
    "if (kind == 'table' or kind == 'function') and count >= 2 then return __tostring__(v) end "
    "if kind == 'table' then local meta = __getmetatable(v) "
    "if __type(meta) == 'table' and meta.__tostring then return __tostring__(v) end end "
    "end "
    "return __tostr(...) "
    "end; "
    "tostr = __text_of; "
    "function stop(...) if __select('#', ...) == 0 then return __stop() end "
    "return __stop(__text_of((...)), __select(2, ...)) end; "
    "function print(...) if __select('#', ...) == 0 then return __print() end "
    "return __print(__text_of((...)), __select(2, ...)) end; "
    "function printh(...) if __select('#', ...) == 0 then return __printh() end "
    "return __printh(__text_of((...)), __select(2, ...)) end; "
    // flip: run the pause menu's chosen callbacks first; a callback that
    // asks for the menu to stay open keeps the console paused.
    "__flip_frame = function() "
    "local stay "
    "repeat "
    "stay = false "
    "for i = 1, 5 do "
    "local v = __get_menu_item_selected(i) "
    "if v ~= nil then "
    "local item = _pausemenu[i] "
    "local callback = item and item[2] "
    "__last_menu_index, __last_menu_callback = i, callback "
    "if callback and (callback(v) or v & 3 > 0) then stay = true end "
    "end "
    "end "
    "if stay then extcmd('pause', 1) __superyield() end "
    "until not stay "
    "__flip() "
    "end; "
    "flip = __flip_frame; "
    // load and extcmd tolerate a console without the native commands: the
    // result is then nil and load reports what stat(107) says.
    "function load(...) "
    "local result "
    "if __load then result = __load(...) end "
    "__flip_frame() "
    "local status = __stat(107) "
    "if status > 0 then return true end "
    "if status == -1 then return false, 'could not find cart' end "
    "if status == -2 then return false, 'could not fetch cart' end "
    "if status == -3 then return false, 'could not connect to bbs' end "
    "if status < 0 or result == nil then return false, 'access denied' end "
    "return result "
    "end; "
    "function extcmd(command, ...) "
    "local result "
    "if __extcmd then result = __extcmd(command, ...) end "
    "if command == 'go_back' or command == 'breadcrumb' then __flip_frame() end "
    "return result "
    "end; "
    // coresume: a coroutine suspended by the end of a slice is resumed
    // again at once, so the program never sees that suspension.
    "function coresume(c, ...) "
    "__yielded_to_escape_slice(0) "
    "local results = __pack(__coresume(c, ...)) "
    "while __yielded_to_escape_slice() and __costatus(c) == 'suspended' do "
    "__yielded_to_escape_slice(0) "
    "results = __pack(__coresume(c, ...)) "
    "end "
    "__yielded_to_escape_slice(0) "
    "return __unpack(results, 1, results.n) "
    "end; "
    // The locals above hide these globals' names, so they are deleted
    // through the environment table.
    "do local names = {'__refund_cpu__', '__pairs__', '__ipairs__', '__type', '__tostr', '__stop', "
    "'__print', '__printh', '__tostring__', '__load', '__extcmd', '__yielded_to_escape_slice', '__coresume', "
    "'__select', '__superyield', '__flip', '__trace'} for i = 1, #names do _ENV[names[i]] = nil end end "
    "end; ";

struct GlyphDefault {
  unsigned char glyph;
  const char* value;
};

// Button glyphs take button numbers; the others fill patterns, most with
// the transparency bit (0.5).
constexpr GlyphDefault kGlyphDefaults[] = {
    {128, "0.5"},      {129, "23130.5"},  {130, "20767.5"},  {131, "3"},        {132, "32125.5"},
    {133, "-18402.5"}, {134, "-1632.5"},  {135, "20927.5"},  {136, "-19008.5"}, {137, "-26208.5"},
    {138, "-20192.5"}, {139, "0"},        {140, "-24351.5"}, {141, "-25792.5"}, {142, "4"},
    {143, "-20032.5"}, {144, "-2560.5"},  {145, "1"},        {146, "-20128.5"}, {147, "6943.5"},
    {148, "2"},        {149, "-2624.5"},  {150, "31455.5"},  {151, "5"},        {152, "3855.5"},
    {153, "21845.5"},
};

constexpr const char* kApiLocalNames[] = {
    "time", "sub",   "chr",   "ord",   "tostr", "tonum",  "add",     "del",   "deli", "clip",  "color", "pal",
    "palt", "fillp", "pget",  "pset",  "sget",  "sset",   "fget",    "fset",  "circ", "circfill", "rect",
    "rectfill", "oval", "ovalfill", "line", "spr", "sspr", "mget", "mset", "tline", "peek", "poke", "peek2",
    "poke2", "peek4", "poke4", "memcpy", "memset", "max", "min", "mid", "flr", "ceil", "cos", "sin", "atan2",
    "rand", "srand", "band", "bor", "bxor", "bnot", "shl", "shr", "lshr", "rotl", "rotr",
};

// The built-in main loop. It runs after the program's main chunk.
constexpr const char* kCartridgeEpilogue =
    "\n _end_of_program = 1\n"
    "if _init then _init() end\n"
    "_set_mainloop_exists(0)\n"
    "if _mainloop then _set_mainloop_exists(1) end\n"
    "if _update60 then _set_fps(60) _update = nil else _set_fps(30) end\n"
    "if not _mainloop and (_draw or _update or _update60) then\n"
    " _set_mainloop_exists(2)\n"
    " _mainloop = function()\n"
    "  while true do\n"
    "   if _update60 then _update_buttons(1) else _update_buttons(2) end\n"
    "   _startframe()\n"
    "   local rate = __stat(7)\n"
    "   if rate == 60 then\n"
    "    _mark_cpu(0) if _update60 then _update60() elseif _update then _update() end\n"
    "   elseif _update60 then\n"
    "    _update60() _update_buttons(1) _mark_cpu(0) _update60()\n"
    "   elseif rate == 30 then\n"
    "    _mark_cpu(0) if _update then _update() end\n"
    "   elseif _update then\n"
    "    _update() _update_buttons(2) _mark_cpu(0) _update()\n"
    "   else\n"
    "    _mark_cpu(0)\n"
    "   end\n"
    "   _mark_cpu(1)\n"
    "   if _draw then\n"
    "    local display, selected = 0, true\n"
    "    while selected and display < __stat(11) do\n"
    "     selected = _map_display(display)\n"
    "     if selected then _draw() end\n"
    "     display += 1\n"
    "    end\n"
    "    _map_display(0)\n"
    "   end\n"
    "   _mark_cpu(2) _update_framerate() __flip_frame()\n"
    "  end\n"
    " end\n"
    "end\n"
    "if _mainloop then _mainloop() end\n";

}  // namespace

std::string prelude_text() { return std::string(kPreludeFirstLine) + "\n" + kPreludeBody; }

std::string glyph_defaults_text() {
  std::string text;
  for (const GlyphDefault& entry : kGlyphDefaults) {
    const char glyph = char(entry.glyph);
    text += std::string(1, glyph) + " = " + std::string(1, glyph) + " or " + entry.value + " ";
  }
  return text;
}

std::string api_locals_text() {
  std::string names;
  for (const char* name : kApiLocalNames) names += std::string(names.empty() ? "" : ", ") + name;
  return "local " + names + " = " + names;
}

std::string epilogue_text(bool is_command) {
  return is_command ? "\n _end_of_program = 1 \n" : kCartridgeEpilogue;
}

std::string build_program_text(std::string_view program, const ProgramTextOptions& options) {
  std::string text = prelude_text();
  text += "(function() " + glyph_defaults_text() + "; end )();";
  if (!options.global_api) text += api_locals_text();
  text += ";\n";
  if (options.board_quirk) text += " nd=0 ";
  text += program;
  text += epilogue_text(options.is_command);
  return text;
}

}  // namespace tamori::runner
