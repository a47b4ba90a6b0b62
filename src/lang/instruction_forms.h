// Chooses the faster forms of instructions (see TAMORI_INSTRUCTION_FORMS)
// once a prototype's code and constants are loaded.
#pragma once

#include "lang/objects.h"

namespace tamori::lang {

void choose_instruction_forms(Prototype* prototype);

}  // namespace tamori::lang
