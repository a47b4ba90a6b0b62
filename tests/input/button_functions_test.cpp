// btn and btnp argument forms, and the button bytes at 0x5f4c..0x5f53.
#include "input/button_functions.h"

#include <gtest/gtest.h>

#include "host/scancodes.h"
#include "input_fixture.h"

namespace tamori::input {
namespace {

using namespace host::scancode;

struct ButtonCallCase {
  int argument_count;
  int32_t button, player;
  bool expected;
  int cycles;
};

TEST(ButtonFunctions, ArgumentForms) {
  InputFixture f;
  f.press(Left);  // player 0 button 0
  f.press(S);     // player 1 button 0
  f.input.settings.button_keys[size_t(button_keys_index(0, kPauseButton))] = Digit7;
  f.tick();
  f.input.buttons.down[grid_index(0, 7)] = 1;  // the spare button, as a poke would set it
  const ButtonCallCase cases[] = {
      {1, 0, 0, true, 4},    // btn(0)
      {1, 1, 0, false, 4},   // btn(1)
      {1, 9, 0, true, 4},    // btn(9) reads button 7
      {1, -1, 0, true, 4},   // btn(-1) reads button 0
      {2, 0, 8, false, 4},   // btn(0, 8): no such player
      {2, 0, -1, false, 4},  // btn(0, -1)
      {2, 0, 1, true, 4},    // btn(0, 1)
      {2, 1, 1, false, 4},
      {1, 0, 5, true, 4},    // a player argument that was not given counts as 0
  };
  for (const ButtonCallCase& c : cases) {
    const ButtonCallResult result = btn(f.input, *f.machine, c.argument_count, c.button, c.player);
    EXPECT_FALSE(result.is_number);
    EXPECT_EQ(result.value, c.expected) << "btn(" << c.button << ", " << c.player << ")";
    EXPECT_EQ(result.cpu_cycles, c.cycles);
  }
}

TEST(ButtonFunctions, NoArgumentsGiveTheBitsOfPlayersZeroAndOne) {
  InputFixture f;
  f.press(Up);      // player 0 bit 2
  f.press(X);       // player 0 bit 5
  f.press(F);       // player 1 bit 9
  f.tick();
  f.input.buttons.down[grid_index(2, 0)] = 1;  // player 2 is not in the number
  const ButtonCallResult held = btn(f.input, *f.machine, 0, 0, 0);
  EXPECT_TRUE(held.is_number);
  EXPECT_EQ(held.number, (1 << 2) | (1 << 5) | (1 << 9));
  EXPECT_EQ(btnp(f.input, *f.machine, 0, 0, 0).number, (1 << 2) | (1 << 5) | (1 << 9));
  f.tick();
  EXPECT_EQ(btnp(f.input, *f.machine, 0, 0, 0).number, 0);
  EXPECT_EQ(btn(f.input, *f.machine, 0, 0, 0).number, (1 << 2) | (1 << 5) | (1 << 9));
}

TEST(ButtonBytes, PeekShowsHeldButtonsAndPokeSetsThem) {
  InputFixture f;
  f.press(Down);
  f.tick();
  EXPECT_EQ(machine::read_memory_byte(*f.machine, 0x5f4c), 1 << 3);
  // A write sets buttons 0..5 of that player.
  machine::write_memory_byte(*f.machine, 0x5f4e, 0xff);
  EXPECT_TRUE(btn(f.input, *f.machine, 2, 5, 2).value);
  EXPECT_FALSE(btn(f.input, *f.machine, 2, 6, 2).value);
  machine::write_memory_byte(*f.machine, 0x5f4c, 0);
  EXPECT_FALSE(btn(f.input, *f.machine, 1, 3, 0).value);
  // The next tick reads the real keys again.
  f.tick();
  EXPECT_TRUE(btn(f.input, *f.machine, 1, 3, 0).value);
  EXPECT_FALSE(btn(f.input, *f.machine, 2, 5, 2).value);
  EXPECT_EQ(machine::read_memory_byte(*f.machine, 0x5f4e), 0);
}

}  // namespace
}  // namespace tamori::input
