// The word table of the token counter: reserved words, the free keywords
// "end" and "local", and the built-in names that the console registers.
// Built-in names count exactly like other names; they are kept apart so that
// a code view can colour them.
#pragma once

#include <string_view>

namespace tamori::lang {

enum class WordKind : unsigned char { kName, kKeyword, kFreeKeyword, kBuiltinName };

// The kind of a whole word; kName for any word not in the table.
WordKind lookup_word(std::string_view word);

// The table's slot for a word: 8192 slots, start 0x67d, then for every byte
// slot = ((byte * slot) & 0x1fff) ^ 0x1c62. The listed words all have
// different slots.
unsigned word_slot(std::string_view word);

}  // namespace tamori::lang
