// The controller model fed by scripted readings: slots and hot-plug,
// validation, the dead zone, and which slots drive which player.
#include "input/controllers.h"

#include <gtest/gtest.h>

#include "host/log.h"
#include "host/scancodes.h"
#include "input_fixture.h"

namespace tamori::input {
namespace {

uint32_t bit(int index) { return 1u << index; }

ControllerSlots two_pads_at_rest() {
  ControllerSlots controllers;
  connect_controller(controllers, 10, "pad a");
  connect_controller(controllers, 11, "pad b");
  for (int slot = 0; slot < 2; slot++) {
    set_controller_reading(controllers, slot, ControllerReading{});
    controller_button(controllers, 0, slot);  // seen at rest: validated
  }
  return controllers;
}

struct StickCase {
  const char* name;
  int16_t x, y;
  uint32_t buttons;
  int expected[4];  // left, right, up, down
};

TEST(ControllerButton, StickOverDpadOutsideTheDeadZone) {
  const StickCase cases[] = {
      {"full right with d-pad left reads right only", 32767, 0, bit(kPadDpadLeft), {0, 255, 0, 0}},
      {"quarter deflection reads the d-pad", 8192, 0, bit(kPadDpadLeft), {255, 0, 0, 0}},
      {"just inside the circle", 16383, 0, bit(kPadDpadUp), {0, 0, 255, 0}},
      {"just outside the circle", 16385, 0, bit(kPadDpadUp), {0, 128, 0, 0}},
      {"diagonal outside", -12000, -12000, bit(kPadDpadDown), {93, 0, 93, 0}},
      {"full left and down", -32768, 32767, 0, {255, 0, 0, 255}},
      {"centred with both d-pad directions", 0, 0, bit(kPadDpadRight) | bit(kPadDpadDown), {0, 255, 0, 255}},
  };
  for (const StickCase& c : cases) {
    ControllerSlots controllers = two_pads_at_rest();
    set_controller_reading(controllers, 0, ControllerReading{c.x, c.y, c.buttons, true});
    for (int button = 0; button < 4; button++)
      EXPECT_EQ(controller_button(controllers, button, 0), c.expected[button]) << c.name << " button " << button;
  }
}

TEST(ControllerButton, FaceButtonsAndStart) {
  struct Case {
    uint32_t buttons;
    int o, x, pause;
  };
  const Case cases[] = {
      {bit(kPadA), 255, 0, 0}, {bit(kPadY), 255, 0, 0}, {bit(kPadB), 0, 255, 0},
      {bit(kPadX), 0, 255, 0}, {bit(kPadStart), 0, 0, 255}, {bit(kPadBack) | bit(kPadGuide), 0, 0, 0},
  };
  for (const Case& c : cases) {
    ControllerSlots controllers = two_pads_at_rest();
    set_controller_reading(controllers, 0, ControllerReading{0, 0, c.buttons, true});
    EXPECT_EQ(controller_button(controllers, 4, 0), c.o) << c.buttons;
    EXPECT_EQ(controller_button(controllers, 5, 0), c.x) << c.buttons;
    EXPECT_EQ(controller_button(controllers, 6, 0), c.pause) << c.buttons;
    EXPECT_EQ(controller_button(controllers, 7, 0), 0);
  }
}

TEST(ControllerButton, StuckInputsCountOnlyAfterBeingSeenAtRest) {
  ControllerSlots controllers;
  connect_controller(controllers, 3, "stuck pad");
  set_controller_reading(controllers, 0, ControllerReading{32767, 0, bit(kPadA), true});
  EXPECT_EQ(controller_button(controllers, 1, 0), 0);
  EXPECT_EQ(controller_button(controllers, 4, 0), 0);
  set_controller_reading(controllers, 0, ControllerReading{0x3fff, 0, 0, true});
  controller_button(controllers, 4, 0);
  set_controller_reading(controllers, 0, ControllerReading{32767, 0, bit(kPadA), true});
  EXPECT_EQ(controller_button(controllers, 1, 0), 255);
  EXPECT_EQ(controller_button(controllers, 4, 0), 255);
}

// Counts the lines of the captured log that contain `text`.
int log_lines_with(const std::string& text) {
  const std::string& log = host::ruvo_log_captured();
  int count = 0;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) count++;
  return count;
}

TEST(ControllerButton, TroubleIsLoggedOncePerDeviceAndButton) {
  host::ruvo_log_capture(true);
  ControllerSlots controllers;
  connect_controller(controllers, 1, "loose");
  connect_controller(controllers, 2, "stuck");
  set_controller_reading(controllers, 0, ControllerReading{0, 0, 0, false});
  set_controller_reading(controllers, 1, ControllerReading{0, 0, bit(kPadB) | bit(kPadStart), true});
  for (int read = 0; read < 3; read++)
    for (int button = 0; button < 8; button++) {
      EXPECT_EQ(controller_button(controllers, button, 0), 0) << "not attached reads neutral";
      EXPECT_EQ(controller_button(controllers, button, 1), 0) << "held since arrival";
    }
  EXPECT_EQ(log_lines_with("** could not read joystick 0 (not attached)\n"), 1);
  EXPECT_EQ(log_lines_with("** button 1 not validated on joystick 1\n"), 1);
  EXPECT_EQ(log_lines_with("** button 6 not validated on joystick 1\n"), 1);
  EXPECT_EQ(log_lines_with("not validated"), 2);
  host::ruvo_log_capture(false);
}

TEST(ControllerSlots, HotPlugPacksSlotsAndAnnounces) {
  ControllerSlots controllers;
  EXPECT_EQ(connect_controller(controllers, 100, "a"), 0);
  EXPECT_EQ(connect_controller(controllers, 101, "b"), 1);
  EXPECT_EQ(connect_controller(controllers, 102, "c"), 2);
  EXPECT_EQ(connect_controller(controllers, 101, "b"), -1) << "already connected";
  EXPECT_EQ(disconnect_controller(controllers, 101), 1);
  EXPECT_EQ(disconnect_controller(controllers, 101), -1);
  EXPECT_EQ(connected_controller_count(controllers), 2);
  EXPECT_EQ(controllers.slots[1].device_id, 102);
  EXPECT_EQ(controllers.slots[1].name, "c");
  EXPECT_EQ(connect_controller(controllers, 103, "d"), 2);
  EXPECT_EQ(controllers.notices, (std::vector<std::string>{"joystick 0 connected", "joystick 1 connected",
                                                           "joystick 2 connected", "joystick 1 disconnected",
                                                           "joystick 2 connected"}));
  for (int device = 0; device < 6; device++) connect_controller(controllers, 200 + device, "more");
  EXPECT_EQ(connected_controller_count(controllers), 8);
  EXPECT_EQ(connect_controller(controllers, 300, "ninth"), -1);
}

TEST(ControllerPlayers, MergeTwoWithJoystickIndexZero) {
  InputFixture f;
  f.input.settings.merge_joysticks = 2;
  f.input.settings.joystick_index = 0;
  ControllerSlots& controllers = f.input.controllers;
  for (int device = 0; device < 3; device++) connect_controller(controllers, device, "pad");
  for (int slot = 0; slot < 3; slot++) {
    set_controller_reading(controllers, slot, ControllerReading{});
    controller_button(controllers, 4, slot);
  }
  set_controller_reading(controllers, 1, ControllerReading{0, 0, bit(kPadA), true});
  f.tick();
  EXPECT_TRUE(f.down(0, 4)) << "controller 1 drives player 0";
  EXPECT_FALSE(f.down(1, 4));
  set_controller_reading(controllers, 1, ControllerReading{});
  set_controller_reading(controllers, 0, ControllerReading{0, 0, bit(kPadB), true});
  set_controller_reading(controllers, 2, ControllerReading{0, 0, bit(kPadStart), true});
  f.tick();
  EXPECT_TRUE(f.down(0, 5)) << "controller 0 drives player 0";
  EXPECT_TRUE(f.down(1, 6)) << "controller 2 drives player 1";
  EXPECT_FALSE(f.down(0, 4));
}

TEST(ControllerPlayers, PlayersBeforeTheJoystickIndexHaveNone) {
  ControllerSlots controllers = two_pads_at_rest();
  set_controller_reading(controllers, 0, ControllerReading{0, 0, bit(kPadA), true});
  set_controller_reading(controllers, 1, ControllerReading{0, 0, bit(kPadB), true});
  EXPECT_EQ(player_button(controllers, 2, 0, 4, 1), 0);
  EXPECT_EQ(player_button(controllers, 2, 0, 4, 2), 255);
  EXPECT_EQ(player_button(controllers, 2, 0, 5, 3), 255);
  EXPECT_EQ(player_button(controllers, 0, 0, 5, 0), 0);
}

TEST(ControllerPlayers, NokNeedsTheControllerToo) {
  InputFixture f;
  f.input.conditions.program_running = false;
  connect_controller(f.input.controllers, 7, "pad");
  set_controller_reading(f.input.controllers, 0, ControllerReading{});
  f.press(host::scancode::Z);
  f.tick();
  EXPECT_TRUE(button_pressed(f.input, 4, 0));
  EXPECT_FALSE(button_pressed_nok(f.input, 0, 4));
  f.release(host::scancode::Z);
  f.tick();
  set_controller_reading(f.input.controllers, 0, ControllerReading{0, 0, bit(kPadA), true});
  f.tick();
  EXPECT_TRUE(button_pressed_nok(f.input, 0, 4));
}

}  // namespace
}  // namespace tamori::input
