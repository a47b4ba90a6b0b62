// The console's sound wiring without a device: volume hot keys reach the
// mixer, fades move with the main loop, and audio registers are handed over.
#include "audio/music_function.h"
#include "audio/sound_stats.h"
#include "console_fixture.h"
#include "host/keys.h"
#include "host/scancodes.h"
#include "machine/memory.h"

namespace tamori::shell {
namespace {

using ConsoleAudio = HeadlessConsole;

TEST_F(ConsoleAudio, HeadlessConsoleOpensNoDeviceAndLocksOnlyCount) {
  ASSERT_FALSE(start());
  EXPECT_FALSE(console.app.audio_open);
  EXPECT_EQ(console.audio->lock.lock_device, nullptr);
}

// A window that opens and a device that counts how often it is asked for.
struct FakeHost {
  static inline int audio_opens = 0;
  static bool open_window(void*, const host::WindowRequest&) { return true; }
  static void present(void*, const host::PresentedFrame&) {}
  static bool open_audio(void*, const host::AudioRequest& request, host::AudioCallback, void*,
                         host::AudioFormat& obtained) {
    ++audio_opens;
    obtained = {request.rate, request.channels};
    return true;
  }
  static void close_audio(void*) {}
  static host::Platform platform() {
    host::Platform platform;
    platform.open_window = open_window;
    platform.present = present;
    platform.open_audio = open_audio;
    platform.close_audio = close_audio;
    return platform;
  }
};

TEST_F(ConsoleAudio, BufferSizeZeroOpensNoDeviceAndSoundStillWorksSilently) {
  for (const char* buffer_size : {"2048", "0"}) {
    FakeHost::audio_opens = 0;
    argument_storage = {"tamori", "-home", home.string(), "-mix_buffer_size", buffer_size};
    argv.clear();
    for (const std::string& argument : argument_storage) argv.push_back(argument.c_str());
    StartupOptions startup;
    startup.program_folder = data_folder;
    startup.platform = FakeHost::platform();
    ASSERT_FALSE(ruvo_main_init(console, int(argv.size()), argv.data(), startup));
    ASSERT_FALSE(console.app.headless);
    const bool wants_device = std::string(buffer_size) != "0";
    EXPECT_EQ(FakeHost::audio_opens, wants_device ? 1 : 0) << buffer_size;
    EXPECT_EQ(console.app.audio_open, wants_device) << buffer_size;
    if (wants_device) ruvo_exit(console);
  }
  // Without a device the sound state still plays and answers, silently.
  EXPECT_EQ(console.audio->lock.lock_device, nullptr);
  ruvo_main_iteration(console);
  machine::MachineState& machine = *console.machine;
  machine.sound_effects[0].speed = 16;
  machine.sound_effects[0].notes[0] = {30, 3, 5, 0, false};
  machine.music_patterns[0] = {{0, 64, 64, 64}, 0};
  audio::music(*console.audio, machine.sound_effects, machine.music_patterns, {0, {}, {}}, true, 0);
  EXPECT_EQ(audio::sound_stat(*console.audio, 24), 0);
  EXPECT_EQ(audio::sound_stat(*console.audio, 16), 0);  // music track 0, heard through channel 4
}

TEST_F(ConsoleAudio, VolumeHotKeysSetTheMasterVolumeOfTheMix) {
  ASSERT_FALSE(start());
  host::ruvo_config().sound_volume = 256;
  ruvo_main_iteration(console);
  EXPECT_EQ(console.audio->sound_volume, 256);
  host::keys_host_down(console.app.keys, host::scancode::LeftCtrl);
  host::keys_host_down(console.app.keys, host::scancode::Minus);
  ruvo_main_iteration(console);
  EXPECT_EQ(console.audio->sound_volume, 224);
  host::keys_host_up(console.app.keys, host::scancode::Minus);
  host::keys_host_down(console.app.keys, host::scancode::M);
  ruvo_main_iteration(console);
  EXPECT_EQ(console.audio->sound_volume, 0);
}

TEST_F(ConsoleAudio, MusicFadesWithTheMainLoopAndRegistersReachTheMixer) {
  ASSERT_FALSE(start({"-foreground_sleep_ms", "10"}));
  machine::MachineState& machine = *console.machine;
  machine.sound_effects[0].speed = 16;
  machine.sound_effects[0].notes[0] = {30, 3, 5, 0, false};
  machine.music_patterns[0] = {{0, 64, 64, 64}, 0};
  audio::music(*console.audio, machine.sound_effects, machine.music_patterns, {0, 1000, {}}, true,
               host::ruvo_get_time_ms());
  EXPECT_EQ(console.audio->music.fade_volume, 0);
  for (int i = 0; i < 50; ++i) ruvo_main_iteration(console);
  const int32_t halfway = console.audio->music.fade_volume;
  EXPECT_GT(halfway, 16384);
  EXPECT_LT(halfway, 65536);
  for (int i = 0; i < 60; ++i) ruvo_main_iteration(console);
  EXPECT_EQ(console.audio->music.fade_volume, 65536);
  EXPECT_EQ(audio::sound_stat(*console.audio, 24), 0);

  machine::write_memory_byte(machine, 0x5f42, 0x24);
  machine::write_memory_byte(machine, 0x5f36, 0x20);
  ruvo_main_iteration(console);
  EXPECT_EQ(console.audio->device_registers[2], 0x24);
  EXPECT_TRUE(console.audio->unsmoothed_serial_sound);
}

}  // namespace
}  // namespace tamori::shell
