#include "runner/bindings/sound_bindings.h"

#include <optional>

#include "audio/music_function.h"
#include "audio/sfx_function.h"
#include "audio/sound_stats.h"
#include "host/clock.h"
#include "runner/language.h"
#include "lang/cpu_counters.h"
#include "runner/program_runner.h"
#include "runner/bindings/system_functions.h"
#include "machine/machine_state.h"

namespace tamori::runner {
namespace {

constexpr int32_t kSoundCallCost = 4;
constexpr int kMusicPlayingStat = 57;

audio::AudioState* bound_audio = nullptr;
machine::MachineState* bound_machine = nullptr;

// An argument counts as given when it is there and not nil; a given one is
// read leniently as an integer.
std::optional<int32_t> optional_integer(ThreadState* thread, int index) {
  if (index > get_top(thread) || type_at(thread, index) == ValueType::Nil) return std::nullopt;
  return integer_at(thread, index);
}

// A command typed while nothing runs may still play sound; it then wakes
// the suspended audio first.
bool cartridge_program_running() {
  const RunControl* control = program_runner().host.control;
  return control && control->program_running;
}

int sfx(ThreadState* thread) {
  spend_cpu(kSoundCallCost);
  if (!bound_audio || !bound_machine) return 0;
  audio::SfxArguments arguments;
  arguments.effect = optional_integer(thread, 1);
  arguments.channel = optional_integer(thread, 2);
  arguments.offset = optional_integer(thread, 3);
  arguments.length = optional_integer(thread, 4);
  std::optional<int32_t> result =
      audio::sfx(*bound_audio, bound_machine->sound_effects, arguments, cartridge_program_running());
  if (!result) return 0;
  push_integer(thread, *result);
  return 1;
}

int music(ThreadState* thread) {
  spend_cpu(kSoundCallCost);
  if (!bound_audio || !bound_machine) return 0;
  audio::MusicArguments arguments;
  arguments.pattern = optional_integer(thread, 1);
  arguments.fade_len = optional_integer(thread, 2);
  arguments.channel_mask = optional_integer(thread, 3);
  audio::music(*bound_audio, bound_machine->sound_effects, bound_machine->music_patterns, arguments,
               cartridge_program_running(), host::ruvo_get_time_ms());
  return 0;
}

bool push_sound_stat(ThreadState* thread, int index) {
  if (!bound_audio) return false;
  std::optional<int32_t> value = audio::sound_stat(*bound_audio, index);
  if (!value) return false;
  if (index == kMusicPlayingStat) push_boolean(thread, *value != 0);
  else push_integer(thread, *value);
  return true;
}

}  // namespace

void register_sound_functions(ThreadState* state, audio::AudioState* audio, machine::MachineState* machine) {
  bound_audio = audio;
  bound_machine = machine;
  register_native(state, "sfx", sfx);
  register_native(state, "music", music);
  add_stat_provider(push_sound_stat);
}

}  // namespace tamori::runner
