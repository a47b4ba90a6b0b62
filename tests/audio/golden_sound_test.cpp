// Golden sound: real cartridges run headless with a fixed seed must sound
// exactly as they did when their hashes were recorded (data/golden_sound.txt,
// see data/README.md for recording a new hash on purpose).
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../shell/cartridge_run_fixture.h"
#include "shell/headless_sound.h"

namespace tamori::shell::testing {
namespace {

// About -40 dB below full scale: every kept rendering is far louder (the
// quietest, a sound-effects run, has an RMS near 2000).
constexpr int kLeastRms = 300;

struct GoldenSound {
  std::string stem;
  int frames = 0;
  std::string sha1;
  std::string buttons;  // button script lines, joined by ';'
};

std::vector<GoldenSound> golden_sounds() {
  std::vector<GoldenSound> sounds;
  std::ifstream file(std::string(TAMORI_TEST_DATA_DIR) + "/audio/data/golden_sound.txt");
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    GoldenSound sound;
    if (!(words >> sound.stem >> sound.frames >> sound.sha1)) {
      ADD_FAILURE() << "bad line in golden_sound.txt: " << line;
      continue;
    }
    std::getline(words, sound.buttons);
    sounds.push_back(sound);
  }
  return sounds;
}

std::ostream& operator<<(std::ostream& out, const GoldenSound& sound) { return out << sound.stem; }

class GoldenCartridgeSound : public CartridgeRun, public ::testing::WithParamInterface<GoldenSound> {};

TEST_P(GoldenCartridgeSound, MatchesItsRecordedHashAndIsHeard) {
  const GoldenSound& golden = GetParam();
  std::string script = golden.buttons;
  std::replace(script.begin(), script.end(), ';', '\n');
  ButtonScript buttons;
  int bad_line = 0;
  ASSERT_TRUE(parse_button_script(script, &buttons, &bad_line)) << golden.stem << " buttons, line " << bad_line;

  SoundRecording sound;
  after_frame = [&sound](int, Console& console) { record_owed_sound(console, sound); };
  const std::filesystem::path cartridge = std::filesystem::path(TAMORI_SHARED_DIR) / "carts" / (golden.stem + ".tm");
  HeadlessRunResult result = run_file(cartridge.string(), golden.frames, buttons);
  ASSERT_TRUE(result.started) << golden.stem;
  ASSERT_EQ(result.frames_run, golden.frames) << result.standard_output;

  EXPECT_GT(sound_rms(sound.samples), kLeastRms) << golden.stem << " is (nearly) silent";
  const std::string sha1 = sound_sha1_hex(sound.samples);
  EXPECT_EQ(sha1, golden.sha1) << "the sound of " << golden.stem << " changed; if that is meant, listen to it and "
                               << "record the new line (data/README.md):\n"
                               << golden.stem << " " << golden.frames << " " << sha1 << golden.buttons;
}

std::string test_name(const ::testing::TestParamInfo<GoldenSound>& info) {
  std::string name = info.param.stem;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(SharedCarts, GoldenCartridgeSound, ::testing::ValuesIn(golden_sounds()), test_name);

}  // namespace
}  // namespace tamori::shell::testing
