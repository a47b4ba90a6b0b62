// The control codes 1..15 of printed text, apart from the commands that
// follow code 6: repeats, colours, cursor moves, tabs, fonts and sounds.
#include "machine/memory.h"
#include "machine/print_sound.h"
#include "machine/print_steps.h"

namespace tamori::machine {

namespace {

void play_print_sound(PrintRun& run) {
  PrintContext& context = run.context;
  PrintSoundCommand command = read_print_sound(context.text, context.position);
  const PrintSoundHooks& hooks = run.text_state.sound;
  if (command.kind == PrintSoundCommand::Kind::kBeep) {
    if (hooks.play_sound_record) hooks.play_sound_record(command.effect);
    return;
  }
  if (command.kind == PrintSoundCommand::Kind::kPlayStored) {
    if (hooks.play_sound_effect) hooks.play_sound_effect(command.slot);
    return;
  }
  if (!context.program_running && hooks.music_playing && hooks.music_playing() && hooks.stop_music_and_sounds)
    hooks.stop_music_and_sounds();
  int slot = command.slot;
  if (slot < 0) {
    slot = 63;
    for (int candidate = 63; candidate >= 60; --candidate)
      if (!hooks.sound_effect_playing || !hooks.sound_effect_playing(candidate)) {
        slot = candidate;
        break;
      }
  }
  run.state.sound_effects[slot] = command.effect;
  if (hooks.play_sound_effect) hooks.play_sound_effect(slot);
}

void move_to_tab_stop(PrintContext& context) {
  int32_t width = context.tab_width != 0 ? context.tab_width : context.metrics.tab_width;
  if (width <= 0) width = 16;
  int32_t base = (context.metrics.flags & kFontTabsFromHome) ? context.home_x : 0;
  int32_t relative = context.cursor_x - base;
  int32_t stops = relative >= 0 ? relative / width : -((-relative + width - 1) / width);
  context.cursor_x = base + (stops + 1) * width;
}

// Code 1: the next character drawn `count` times.
void repeat_character(PrintRun& run) {
  PrintContext& context = run.context;
  int32_t count = 0;
  if (!read_print_parameter(context, count) || context.position >= context.text.size()) {
    context.position = context.text.size();
    return;
  }
  auto code = static_cast<uint8_t>(context.text[context.position++]);
  if (code < 16) return;
  for (int32_t i = 0; i < count; ++i) print_font_character(run, code);
}

}  // namespace

void run_print_control_code(PrintRun& run, uint8_t code) {
  PrintContext& context = run.context;
  int32_t p = 0, q = 0;
  auto parameter = [&](int32_t& value) {
    if (read_print_parameter(context, value)) return true;
    context.position = context.text.size();  // a code without its parameter is ignored
    return false;
  };
  switch (code) {
    case 1: repeat_character(run); break;
    case 2:
      if (parameter(p)) {
        context.background = static_cast<uint8_t>(p & 15);
        context.solid_background = true;
      }
      break;
    case 3:
      if (parameter(p)) context.cursor_x += p - 16;
      break;
    case 4:
      if (parameter(p)) context.cursor_y += p - 16;
      break;
    case 5:
      if (parameter(p) && parameter(q)) {
        context.cursor_x += p - 16;
        context.cursor_y += q - 16;
      }
      break;
    case 6: run_print_command_code(run); break;
    case 7: play_print_sound(run); break;
    case 8: context.cursor_x -= context.last_advance; break;
    case 9: move_to_tab_stop(context); break;
    case 10: print_line_feed(run); break;
    case 11:
      if (parameter(p)) {
        context.return_after_next = true;
        context.return_x = context.cursor_x;
        context.return_y = context.cursor_y;
        context.cursor_x = context.remembered_x + (p % 4) - 2;
        context.cursor_y = context.remembered_y + (p / 4) - 8;
      }
      break;
    case 12:
      if (parameter(p)) {
        context.foreground = static_cast<uint8_t>(p & 15);
        write_memory_byte(run.state, 0x5f25, static_cast<uint32_t>(p & 15));
      }
      break;
    case 13: context.cursor_x = context.home_x; break;
    case 14:
      context.using_custom_font = true;
      context.custom_font = read_custom_font(run.state);
      context.metrics = read_font_metrics(context.custom_font);
      break;
    case 15:
      context.using_custom_font = false;
      context.metrics = read_font_metrics(run.text_state.builtin_font);
      break;
    default: break;
  }
}

}  // namespace tamori::machine
