#include "runner/bindings/draw_bindings.h"

#include <utility>
#include <vector>

#include "runner/language.h"
#include "runner/bindings/binding_arguments.h"
#include "runner/program_runner.h"
#include "runner/random_generator.h"
#include "machine/draw_state_functions.h"
#include "machine/line_functions.h"
#include "machine/oval_functions.h"
#include "machine/palette_functions.h"
#include "machine/rectangle_functions.h"

namespace tamori::runner {
namespace {

machine::MachineState* bound_machine = nullptr;

// ---- Fast functions: pset, pget, rect, rectfill ----

int32_t pset(ThreadState* thread) {
  if (!bound_machine || fast_argument_count(thread) < 2) return 0;
  machine::pset(*bound_machine, fast_integer(thread, 1), fast_integer(thread, 2), fast_optional_raw_number(thread, 3));
  return 0;
}

int32_t pget(ThreadState* thread) {
  if (!bound_machine) return 0;
  std::optional<int32_t> x, y;
  if (fast_argument_count(thread) >= 2) {
    x = fast_integer(thread, 1);
    y = fast_integer(thread, 2);
  }
  return int32_t(uint32_t(machine::pget(*bound_machine, x, y)) << 16);
}

using RectangleFunction = int64_t (*)(machine::MachineState&, int32_t, int32_t, int32_t, int32_t,
                                      machine::NumberArgument);

int32_t fast_rectangle(ThreadState* thread, RectangleFunction draw) {
  if (!bound_machine) return 0;
  charge_drawing(draw(*bound_machine, fast_integer(thread, 1), fast_integer(thread, 2), fast_integer(thread, 3),
                      fast_integer(thread, 4), fast_optional_raw_number(thread, 5)));
  return 0;
}

int32_t rect(ThreadState* thread) { return fast_rectangle(thread, machine::rect); }
int32_t rectfill(ThreadState* thread) { return fast_rectangle(thread, machine::rectfill); }

// ---- Draw state ----

int color(ThreadState* thread) {
  if (!bound_machine) return 0;
  push_integer(thread, machine::color(*bound_machine, optional_raw_number(thread, 1)));
  return 1;
}

int cursor(ThreadState* thread) {
  if (!bound_machine) return 0;
  machine::CursorResult previous =
      machine::cursor(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), optional_raw_number(thread, 3));
  push_integer(thread, previous.previous_x);
  push_integer(thread, previous.previous_y);
  push_integer(thread, previous.previous_colour);
  return 3;
}

int camera(ThreadState* thread) {
  if (!bound_machine) return 0;
  machine::CameraResult previous = machine::camera(*bound_machine, integer_at(thread, 1), integer_at(thread, 2));
  push_integer(thread, previous.previous_x);
  push_integer(thread, previous.previous_y);
  return 2;
}

int clip(ThreadState* thread) {
  if (!bound_machine) return 0;
  std::optional<machine::ClipArguments> arguments;
  if (get_top(thread) >= 4)
    arguments = machine::ClipArguments{integer_at(thread, 1), integer_at(thread, 2), integer_at(thread, 3),
                                       integer_at(thread, 4), truth_at(thread, 5)};
  machine::ClipResult previous = machine::clip(*bound_machine, arguments);
  push_integer(thread, previous.previous_x);
  push_integer(thread, previous.previous_y);
  push_integer(thread, previous.previous_w);
  push_integer(thread, previous.previous_h);
  return 4;
}

int cls(ThreadState* thread) {
  if (!bound_machine) return 0;
  charge_drawing(machine::cls(*bound_machine, optional_raw_number(thread, 1)));
  return 0;
}

int fillp(ThreadState* thread) {
  if (!bound_machine) return 0;
  push_number(thread, machine::fillp(*bound_machine, optional_raw_number(thread, 1)));
  return 1;
}

// The run-start reset of the draw state; the random generator is seeded
// afresh as at a cartridge start.
int reset(ThreadState*) {
  if (!bound_machine) return 0;
  charge_drawing(machine::reset(*bound_machine));
  const RunnerHost& host = program_runner().host;
  if (host.fresh_random_seed) random_seed(bound_machine->random_state, host.fresh_random_seed());
  return 0;
}

// ---- Shapes ----

// line(), line(col); line(x1, y1, [col]); line(x0, y0, x1, y1, [col]).
int line(ThreadState* thread) {
  if (!bound_machine) return 0;
  const int arguments = get_top(thread);
  int64_t cycles = 0;
  if (arguments <= 1)
    cycles = machine::line_break(*bound_machine, optional_raw_number(thread, 1));
  else if (arguments <= 3)
    cycles = machine::line_to(*bound_machine, integer_at(thread, 1), integer_at(thread, 2),
                              optional_raw_number(thread, 3));
  else
    cycles = machine::line_between(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), integer_at(thread, 3),
                                   integer_at(thread, 4), optional_raw_number(thread, 5));
  charge_drawing(cycles);
  return 0;
}

int oval_shape(ThreadState* thread, RectangleFunction draw) {
  if (!bound_machine) return 0;
  charge_drawing(draw(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), integer_at(thread, 3),
                      integer_at(thread, 4), optional_raw_number(thread, 5)));
  return 0;
}

int oval(ThreadState* thread) { return oval_shape(thread, machine::oval); }
int ovalfill(ThreadState* thread) { return oval_shape(thread, machine::ovalfill); }

using CircleFunction = int64_t (*)(machine::MachineState&, int32_t, int32_t, machine::NumberArgument,
                                   machine::NumberArgument);

int circle_shape(ThreadState* thread, CircleFunction draw) {
  if (!bound_machine || get_top(thread) < 2) return 0;
  charge_drawing(draw(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), optional_raw_number(thread, 3),
                      optional_raw_number(thread, 4)));
  return 0;
}

int circ(ThreadState* thread) { return circle_shape(thread, machine::circ); }
int circfill(ThreadState* thread) { return circle_shape(thread, machine::circfill); }

using RoundedFunction = int64_t (*)(machine::MachineState&, int32_t, int32_t, int32_t, int32_t, int32_t,
                                    machine::NumberArgument);

int rounded_shape(ThreadState* thread, RoundedFunction draw) {
  if (!bound_machine || get_top(thread) < 2) return 0;
  charge_drawing(draw(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), integer_at(thread, 3),
                      integer_at(thread, 4), integer_at(thread, 5), optional_raw_number(thread, 6)));
  return 0;
}

int rrect(ThreadState* thread) { return rounded_shape(thread, machine::rrect); }
int rrectfill(ThreadState* thread) { return rounded_shape(thread, machine::rrectfill); }

// ---- Palettes ----

// The (key, value) pairs of a table argument that have number keys.
std::vector<std::pair<int32_t, int32_t>> palette_entries(ThreadState* thread, int table_index) {
  std::vector<std::pair<int32_t, int32_t>> entries;
  push_nil(thread);
  while (next_entry(thread, table_index)) {
    if (type_at(thread, -2) == ValueType::Number) entries.emplace_back(integer_at(thread, -2), integer_at(thread, -1));
    set_top(thread, get_top(thread) - 1);
  }
  return entries;
}

// pal(tbl, [p]); pal(c0, c1, [p]); pal(p); pal().
int pal(ThreadState* thread) {
  if (!bound_machine) return 0;
  const int arguments = get_top(thread);
  if (type_at(thread, 1) == ValueType::Table) {
    std::vector<std::pair<int32_t, int32_t>> entries = palette_entries(thread, 1);
    charge_drawing(machine::pal_table(*bound_machine, entries, optional_integer(thread, 2)));
    return 0;
  }
  if (arguments >= 2) {
    machine::PaletteResult result =
        machine::pal_set(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), optional_integer(thread, 3));
    charge_drawing(result.cycles);
    push_integer(thread, result.previous);
    return 1;
  }
  std::optional<int32_t> palette;
  if (arguments == 1 && type_at(thread, 1) == ValueType::Number) palette = integer_at(thread, 1);
  charge_drawing(machine::pal_reset(*bound_machine, palette));
  return 0;
}

// palt(); palt(bits); palt(c, t).
int palt(ThreadState* thread) {
  if (!bound_machine) return 0;
  const int arguments = get_top(thread);
  if (arguments == 0) {
    push_integer(thread, machine::palt_reset(*bound_machine));
    return 1;
  }
  if (arguments == 1) {
    machine::PaletteResult result = machine::palt_bits(*bound_machine, integer_at(thread, 1));
    charge_drawing(result.cycles);
    push_integer(thread, result.previous);
    return 1;
  }
  push_boolean(thread, machine::palt_set(*bound_machine, integer_at(thread, 1), truth_at(thread, 2)));
  return 1;
}

}  // namespace

void register_draw_functions(ThreadState* state, machine::MachineState* machine) {
  bound_machine = machine;
  register_fast(state, "pset", pset);
  register_fast(state, "pget", pget);
  register_fast(state, "rect", rect);
  register_fast(state, "rectfill", rectfill);
  register_native(state, "color", color);
  register_native(state, "cursor", cursor);
  register_native(state, "camera", camera);
  register_native(state, "clip", clip);
  register_native(state, "cls", cls);
  register_native(state, "fillp", fillp);
  register_native(state, "reset", reset);
  register_native(state, "line", line);
  register_native(state, "oval", oval);
  register_native(state, "ovalfill", ovalfill);
  register_native(state, "circ", circ);
  register_native(state, "circfill", circfill);
  register_native(state, "rrect", rrect);
  register_native(state, "rrectfill", rrectfill);
  register_native(state, "pal", pal);
  register_native(state, "palt", palt);
}

}  // namespace tamori::runner
