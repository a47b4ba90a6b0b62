#include "runner/bindings/sprite_bindings.h"

#include "runner/language.h"
#include "runner/bindings/binding_arguments.h"
#include "machine/map_functions.h"
#include "machine/sprite_functions.h"
#include "machine/tline_functions.h"

namespace tamori::runner {
namespace {

machine::MachineState* bound_machine = nullptr;

// spr(n, x, y, [w, h], [flip_x], [flip_y]): the size is read only from four
// arguments on and the flips only from six on.
int spr(ThreadState* thread) {
  if (!bound_machine) return 0;
  const int arguments = get_top(thread);
  machine::NumberArgument w, h;
  if (arguments >= 4) {
    w = raw_number_at(thread, 4);
    h = optional_raw_number(thread, 5);
  }
  const bool flips = arguments >= 6;
  charge_drawing(machine::spr(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), integer_at(thread, 3), w,
                              h, flips && truth_at(thread, 6), flips && truth_at(thread, 7)));
  return 0;
}

// sspr(sx, sy, sw, sh, dx, dy, [dw, dh], [flip_x], [flip_y]): the
// destination size is read only from seven arguments on.
int sspr(ThreadState* thread) {
  if (!bound_machine) return 0;
  std::optional<int32_t> dw, dh;
  if (get_top(thread) >= 7) {
    dw = integer_at(thread, 7);
    dh = optional_integer(thread, 8);
  }
  charge_drawing(machine::sspr(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), integer_at(thread, 3),
                               integer_at(thread, 4), integer_at(thread, 5), integer_at(thread, 6), dw, dh,
                               truth_at(thread, 9), truth_at(thread, 10)));
  return 0;
}

// map(tx, ty, sx, sy, tw, th, layers); a nil size takes the map's own.
int map(ThreadState* thread) {
  if (!bound_machine) return 0;
  machine::MapArguments arguments{integer_at(thread, 1),      integer_at(thread, 2),      integer_at(thread, 3),
                                  integer_at(thread, 4),      optional_integer(thread, 5), optional_integer(thread, 6),
                                  integer_at(thread, 7) & 0xffff};
  charge_drawing(machine::map(*bound_machine, arguments));
  return 0;
}

// tline() and tline(bits) read or set the precision; the long form draws.
int tline(ThreadState* thread) {
  if (!bound_machine) return 0;
  if (get_top(thread) <= 1) {
    push_integer(thread, machine::tline_precision(*bound_machine, optional_integer(thread, 1)));
    return 1;
  }
  machine::TlineArguments arguments{integer_at(thread, 1),
                                    integer_at(thread, 2),
                                    integer_at(thread, 3),
                                    integer_at(thread, 4),
                                    raw_number_at(thread, 5),
                                    raw_number_at(thread, 6),
                                    optional_raw_number(thread, 7),
                                    optional_raw_number(thread, 8),
                                    integer_at(thread, 9)};
  charge_drawing(machine::tline(*bound_machine, arguments));
  return 0;
}

int mget(ThreadState* thread) {
  if (!bound_machine) return 0;
  push_integer(thread, machine::mget(*bound_machine, integer_at(thread, 1), integer_at(thread, 2)));
  return 1;
}

int mset(ThreadState* thread) {
  if (!bound_machine) return 0;
  machine::mset(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), integer_at(thread, 3));
  return 0;
}

// fget(n) gives the flag byte, fget(n, f) one flag; no argument, no result.
int fget(ThreadState* thread) {
  if (!bound_machine || get_top(thread) == 0) return 0;
  if (type_at(thread, 2) == ValueType::Nil) {
    push_integer(thread, machine::fget_byte(*bound_machine, integer_at(thread, 1)));
    return 1;
  }
  push_boolean(thread, machine::fget_flag(*bound_machine, integer_at(thread, 1), integer_at(thread, 2)));
  return 1;
}

// fset(n, v) sets the flag byte, fset(n, f, v) one flag.
int fset(ThreadState* thread) {
  if (!bound_machine) return 0;
  const int arguments = get_top(thread);
  if (arguments >= 3)
    machine::fset_flag(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), truth_at(thread, 3));
  else if (arguments == 2)
    machine::fset_byte(*bound_machine, integer_at(thread, 1), integer_at(thread, 2));
  return 0;
}

int sget(ThreadState* thread) {
  if (!bound_machine) return 0;
  push_integer(thread, machine::sget(*bound_machine, integer_at(thread, 1), integer_at(thread, 2)));
  return 1;
}

int sset(ThreadState* thread) {
  if (!bound_machine) return 0;
  machine::sset(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), optional_raw_number(thread, 3));
  return 0;
}

}  // namespace

void register_sprite_functions(ThreadState* state, machine::MachineState* machine) {
  bound_machine = machine;
  register_native(state, "spr", spr);
  register_native(state, "sspr", sspr);
  register_native(state, "map", map);
  register_native(state, "mapdraw", map);
  register_native(state, "tline", tline);
  register_native(state, "mget", mget);
  register_native(state, "mset", mset);
  register_native(state, "fget", fget);
  register_native(state, "fset", fset);
  register_native(state, "sget", sget);
  register_native(state, "sset", sset);
}

}  // namespace tamori::runner
