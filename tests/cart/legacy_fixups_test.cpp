// Fix-ups of cartridges from early versions.
#include <gtest/gtest.h>

#include "cart/legacy_fixups.h"
#include "host/log.h"

namespace tamori::cart {
namespace {

struct Told {
  std::vector<std::string> printed;
  std::vector<std::string> messages;
  CartridgeHost host;
  Told() {
    host.print = [this](const std::string& text, int) { printed.push_back(text); };
    host.show_message = [this](const std::string& text, int) { messages.push_back(text); };
  }
};

std::unique_ptr<Cartridge> cartridge_of_version(int version) {
  auto cartridge = create_cartridge();
  cartridge->version = version;
  return cartridge;
}

void set_effect(Cartridge& cartridge, int index, int speed, int loop_start, int loop_end) {
  cartridge.sound_effects[index].speed = static_cast<uint8_t>(speed);
  cartridge.sound_effects[index].loop_start = static_cast<uint8_t>(loop_start);
  cartridge.sound_effects[index].loop_end = static_cast<uint8_t>(loop_end);
}

struct SwapCase {
  const char* name;
  uint8_t tracks[4];
  uint8_t expected[4];
};

// Effects: 1 short (length 32), 2 long (128), 3 long but looping, 4 long.
const SwapCase kSwapCases[] = {
    {"short first, long second", {1, 2, 0x42, 0x43}, {2, 1, 0x42, 0x43}},
    {"looping long tracks do not count", {1, 3, 4, 0x43}, {4, 3, 1, 0x43}},
    {"long first already", {2, 1, 0x42, 0x43}, {2, 1, 0x42, 0x43}},
    {"absent first track", {0x41, 1, 2, 0x43}, {2, 1, 0x41, 0x43}},
    {"no long non-looping track", {1, 3, 0x42, 0x43}, {1, 3, 0x42, 0x43}},
    {"all silent", {0x41, 0x42, 0x43, 0x44}, {0x41, 0x42, 0x43, 0x44}},
};

TEST(LegacyFixups, EarlyMusicPutsTheLongestNonLoopingTrackFirst) {
  for (const SwapCase& swap : kSwapCases) {
    auto cartridge = cartridge_of_version(4);
    set_effect(*cartridge, 1, 1, 0, 0);
    set_effect(*cartridge, 2, 4, 0, 0);
    set_effect(*cartridge, 3, 4, 0, 8);
    set_effect(*cartridge, 4, 4, 8, 8);
    std::copy(std::begin(swap.tracks), std::end(swap.tracks), cartridge->music[5].tracks);
    Told told;
    apply_legacy_fixups(*cartridge, told.host);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(cartridge->music[5].tracks[k], swap.expected[k]) << swap.name << " track " << k;
  }
}

TEST(LegacyFixups, SwapIsLogged) {
  auto cartridge = cartridge_of_version(2);
  set_effect(*cartridge, 1, 1, 0, 0);
  set_effect(*cartridge, 2, 3, 0, 0);
  cartridge->music[9] = {{1, 0x42, 2, 0x44}, 0};
  host::ruvo_log_capture(true);
  Told told;
  apply_legacy_fixups(*cartridge, told.host);
  EXPECT_NE(host::ruvo_log_captured().find("legacy: pat 9 swap chan: 0 2"), std::string::npos) << host::ruvo_log_captured();
  host::ruvo_log_capture(false);
}

TEST(LegacyFixups, EarlyNoiseIsQuietenedAndSilentSlidesCleared) {
  auto cartridge = cartridge_of_version(4);
  cartridge->sound_effects[0].notes[0] = {10, 6, 7, 0, false};
  cartridge->sound_effects[0].notes[1] = {10, 5, 7, 0, false};
  cartridge->sound_effects[0].notes[2] = {10, 0, 0, 1, false};
  cartridge->sound_effects[0].notes[3] = {10, 0, 2, 1, false};
  Told told;
  apply_legacy_fixups(*cartridge, told.host);
  EXPECT_EQ(cartridge->sound_effects[0].notes[0].volume, 5);
  EXPECT_EQ(cartridge->sound_effects[0].notes[1].volume, 7);
  EXPECT_EQ(cartridge->sound_effects[0].notes[2].effect, 0);
  EXPECT_EQ(cartridge->sound_effects[0].notes[3].effect, 1);
}

TEST(LegacyFixups, SilentSlidesStayWhenTheCartridgeUsesLaterFeatures) {
  struct Feature {
    const char* name;
    void (*use)(Cartridge&);
  };
  const Feature features[] = {
      {"custom instrument", [](Cartridge& c) { c.sound_effects[9].notes[4].custom_instrument = true; }},
      {"long loop start", [](Cartridge& c) { c.sound_effects[9].loop_start = 64; }},
      {"long loop end", [](Cartridge& c) { c.sound_effects[9].loop_end = 200; }},
  };
  for (const Feature& feature : features) {
    auto cartridge = cartridge_of_version(10);
    cartridge->sound_effects[0].notes[2] = {10, 0, 0, 1, false};
    feature.use(*cartridge);
    Told told;
    apply_legacy_fixups(*cartridge, told.host);
    EXPECT_EQ(cartridge->sound_effects[0].notes[2].effect, 1) << feature.name;
  }
}

TEST(LegacyFixups, EachVersionGetsOnlyItsOwnFixups) {
  for (int version : {11, 19, 23, 43}) {
    auto cartridge = cartridge_of_version(version);
    cartridge->sound_effects[0].notes[2] = {10, 6, 0, 1, false};
    cartridge->code = kEarlyApiTrigger;
    Cartridge before = *cartridge;
    Told told;
    apply_legacy_fixups(*cartridge, told.host);
    before.legacy_applied = true;
    EXPECT_EQ(*cartridge, before) << "version " << version;
    EXPECT_TRUE(told.printed.empty() && told.messages.empty()) << "version " << version;
  }
}

TEST(LegacyFixups, DeprecatedMarkerWarnsForItsVersionsOnly) {
  for (int version : {18, 19, 23, 24}) {
    auto cartridge = cartridge_of_version(version);
    cartridge->code = "x = a @@ b";
    Told told;
    apply_legacy_fixups(*cartridge, told.host);
    bool warns = version >= 19 && version <= 23;
    EXPECT_EQ(told.messages, warns ? std::vector<std::string>{"warning: possible deprecated @@"} : std::vector<std::string>{})
        << "version " << version;
  }
}

TEST(LegacyFixups, EarlyApiIsPutInFrontOfItsCartridgeOnceOnly) {
  auto cartridge = cartridge_of_version(1);
  cartridge->code = std::string("cls()\n") + kEarlyApiTrigger;
  Told told;
  apply_legacy_fixups(*cartridge, told.host);
  EXPECT_EQ(cartridge->code, std::string(kEarlyApiPrelude) + "cls()\n" + kEarlyApiTrigger);
  EXPECT_EQ(told.printed, std::vector<std::string>{"legacy: 0.1.1 api injected"});
  EXPECT_TRUE(cartridge->legacy_applied);

  std::string once = cartridge->code;
  apply_legacy_fixups(*cartridge, told.host);
  EXPECT_EQ(cartridge->code, once);
  EXPECT_EQ(told.printed.size(), 1u);
}

}  // namespace
}  // namespace tamori::cart
