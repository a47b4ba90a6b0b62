// The instruction set of the cartridge language's virtual machine.
//
// This table is the single source of truth for every opcode: its number, its
// cycle charge, its operand formats and a one-line meaning. The enum, the
// names used by listings and the cost table are all generated from it.
//
// Instruction layout (32 bits): opcode in bits 0..5, A in bits 6..13, C in
// bits 14..22, B in bits 23..31; Bx is bits 14..31 (18 bits, unsigned), sBx is
// Bx minus its bias 131071, Ax is bits 6..31. In B and C the top bit (256)
// marks an index into the constant table instead of a register (RK operands).
#pragma once

#include <cstdint>

namespace tamori::lang {

enum class InstructionFormat : uint8_t { ABC, ABx, AsBx, Ax };

// How an operand is used: unused, a plain number, a register, or a
// register-or-constant (RK) operand.
enum class OperandMode : uint8_t { Unused, Number, Register, RegisterOrConstant };

// X(name, number, cycles, format, modeB, modeC, setsA, isTest, meaning)
#define TAMORI_OPCODES(X)                                                                    \
  X(MOVE, 0, 1, ABC, Register, Unused, true, false, "R(A) := R(B)")                          \
  X(LOADK, 1, 1, ABx, RegisterOrConstant, Unused, true, false, "R(A) := Kst(Bx)")            \
  X(LOADKX, 2, 2, ABx, Unused, Unused, true, false, "R(A) := Kst(extra arg)")                \
  X(LOADBOOL, 3, 2, ABC, Number, Number, true, false, "R(A) := (Bool)B; if (C) pc++")        \
  X(LOADNIL, 4, 2, ABC, Number, Unused, true, false, "R(A), ..., R(A+B) := nil")             \
  X(GETUPVAL, 5, 2, ABC, Number, Unused, true, false, "R(A) := UpValue[B]")                  \
  X(GETTABUP, 6, 2, ABC, Number, RegisterOrConstant, true, false, "R(A) := UpValue[B][RK(C)]") \
  X(GETTABLE, 7, 2, ABC, Register, RegisterOrConstant, true, false, "R(A) := R(B)[RK(C)]")   \
  X(SETTABUP, 8, 2, ABC, RegisterOrConstant, RegisterOrConstant, false, false,               \
    "UpValue[A][RK(B)] := RK(C)")                                                            \
  X(SETUPVAL, 9, 2, ABC, Number, Unused, false, false, "UpValue[B] := R(A)")                 \
  X(SETTABLE, 10, 2, ABC, RegisterOrConstant, RegisterOrConstant, false, false,              \
    "R(A)[RK(B)] := RK(C)")                                                                  \
  X(NEWTABLE, 11, 2, ABC, Number, Number, true, false, "R(A) := {} (size = B,C)")            \
  X(SELF, 12, 2, ABC, Register, RegisterOrConstant, true, false,                             \
    "R(A+1) := R(B); R(A) := R(B)[RK(C)]")                                                   \
  X(ADD, 13, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) + RK(C)") \
  X(SUB, 14, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) - RK(C)") \
  X(MUL, 15, 2, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) * RK(C)") \
  X(DIV, 16, 2, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) / RK(C)") \
  X(MOD, 17, 2, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) % RK(C)") \
  X(POW, 18, 2, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) ^ RK(C)") \
  X(TMBAND, 19, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) & RK(C)") \
  X(TMBOR, 20, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) | RK(C)") \
  X(TMBXOR, 21, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false,                 \
    "R(A) := RK(B) ^^ RK(C)")                                                                \
  X(TMSHL, 22, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) << RK(C)") \
  X(TMSHR, 23, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) >> RK(C)") \
  X(TMLSHR, 24, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false,                 \
    "R(A) := RK(B) >>> RK(C)")                                                               \
  X(TMROTL, 25, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false,                 \
    "R(A) := RK(B) <<> RK(C)")                                                               \
  X(TMROTR, 26, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false,                 \
    "R(A) := RK(B) >>< RK(C)")                                                               \
  X(TMBNOT, 27, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := ~RK(B)") \
  X(IDIV, 28, 2, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := RK(B) \\ RK(C)") \
  X(PEEK, 29, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := @RK(B)") \
  X(PEEK2, 30, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := %RK(B)") \
  X(PEEK4, 31, 1, ABC, RegisterOrConstant, RegisterOrConstant, true, false, "R(A) := $RK(B)") \
  X(UNM, 32, 1, ABC, Register, Unused, true, false, "R(A) := -R(B)")                         \
  X(NOT, 33, 2, ABC, Register, Unused, true, false, "R(A) := not R(B)")                      \
  X(LEN, 34, 2, ABC, Register, Unused, true, false, "R(A) := length of R(B)")                \
  X(CONCAT, 35, 2, ABC, Register, Register, true, false, "R(A) := R(B).. ... ..R(C)")        \
  X(JMP, 36, 2, AsBx, RegisterOrConstant, Unused, false, false,                              \
    "pc += sBx; if (A) close all upvalues >= R(A - 1)")                                      \
  X(EQ, 37, 2, ABC, RegisterOrConstant, RegisterOrConstant, false, true,                     \
    "if ((RK(B) == RK(C)) ~= A) then pc++")                                                  \
  X(LT, 38, 2, ABC, RegisterOrConstant, RegisterOrConstant, false, true,                     \
    "if ((RK(B) <  RK(C)) ~= A) then pc++")                                                  \
  X(LE, 39, 2, ABC, RegisterOrConstant, RegisterOrConstant, false, true,                     \
    "if ((RK(B) <= RK(C)) ~= A) then pc++")                                                  \
  X(TEST, 40, 2, ABC, Unused, Number, false, true, "if not (R(A) <=> C) then pc++")          \
  X(TESTSET, 41, 2, ABC, Register, Number, true, true,                                       \
    "if (R(B) <=> C) then R(A) := R(B) else pc++")                                           \
  X(CALL, 42, 2, ABC, Number, Number, true, false,                                           \
    "R(A), ... ,R(A+C-2) := R(A)(R(A+1), ... ,R(A+B-1))")                                    \
  X(TAILCALL, 43, 2, ABC, Number, Number, true, false, "return R(A)(R(A+1), ... ,R(A+B-1))") \
  X(RETURN, 44, 2, ABC, Number, Unused, false, false, "return R(A), ... ,R(A+B-2)")          \
  X(FORLOOP, 45, 2, AsBx, Register, Unused, true, false,                                     \
    "R(A) += R(A+2); if R(A) <= R(A+1) then { pc += sBx; R(A+3) = R(A) }")                   \
  X(FORPREP, 46, 2, AsBx, Register, Unused, true, false, "R(A) -= R(A+2); pc += sBx")        \
  X(TFORCALL, 47, 2, ABC, Unused, Number, false, false,                                      \
    "R(A+3), ... ,R(A+2+C) := R(A)(R(A+1), R(A+2))")                                         \
  X(TFORLOOP, 48, 2, AsBx, Register, Unused, true, false,                                    \
    "if R(A+1) ~= nil then { R(A) = R(A+1); pc += sBx }")                                    \
  X(SETLIST, 49, 2, ABC, Number, Number, false, false,                                       \
    "R(A)[(C-1)*FPF+i] := R(A+i), 1 <= i <= B")                                              \
  X(CLOSURE, 50, 2, ABx, Number, Unused, true, false, "R(A) := closure(KPROTO[Bx])")         \
  X(VARARG, 51, 2, ABC, Number, Unused, true, false, "R(A), R(A+1), ..., R(A+B-2) = vararg") \
  X(EXTRAARG, 52, 2, Ax, Unused, Unused, false, false, "extra (larger) argument for previous opcode")

enum class OpCode : uint8_t {
#define TAMORI_OPCODE_ENUM(name, number, cycles, format, modeB, modeC, setsA, isTest, meaning) \
  name = number,
  TAMORI_OPCODES(TAMORI_OPCODE_ENUM)
#undef TAMORI_OPCODE_ENUM
};

inline constexpr int kOpcodeCount = 53;

// Faster forms of some instructions, for operands that the loader can see
// (a register, a number or string constant): it rewrites the opcode field to
// the form, which only the dispatch loop tells apart. A form charges what
// its opcode charges and falls back to the opcode's general handler for any
// operand its fast path does not take, so it behaves exactly as the opcode.
// Suffixes: R a register, K a number constant, S a string constant.
// X(form, number, opcode)
#define TAMORI_INSTRUCTION_FORMS(X) \
  X(ADD_RR, 53, ADD)                \
  X(ADD_RK, 54, ADD)                \
  X(SUB_RK, 55, SUB)                \
  X(MOD_RK, 56, MOD)                \
  X(GETTABLE_RR, 57, GETTABLE)      \
  X(GETTABLE_RS, 58, GETTABLE)      \
  X(GETTABUP_S, 59, GETTABUP)       \
  X(SETTABLE_S, 60, SETTABLE)       \
  X(LT_RR, 61, LT)                  \
  X(LT_RK, 62, LT)                  \
  X(LT_KR, 63, LT)

enum class InstructionForm : uint8_t {
#define TAMORI_FORM_ENUM(form, number, opcode) form = number,
  TAMORI_INSTRUCTION_FORMS(TAMORI_FORM_ENUM)
#undef TAMORI_FORM_ENUM
};

struct OpcodeInfo {
  const char* name;
  uint8_t cycles;
  InstructionFormat format;
  OperandMode mode_b;
  OperandMode mode_c;
  bool sets_a;
  bool is_test;
  const char* meaning;
};

inline constexpr OpcodeInfo kOpcodeInfo[kOpcodeCount] = {
#define TAMORI_OPCODE_INFO(name, number, cycles, format, modeB, modeC, setsA, isTest, meaning) \
  {#name, cycles, InstructionFormat::format, OperandMode::modeB, OperandMode::modeC, setsA, isTest, meaning},
    TAMORI_OPCODES(TAMORI_OPCODE_INFO)
#undef TAMORI_OPCODE_INFO
};

// Fields per SETLIST instruction, as in the reference design.
inline constexpr int kFieldsPerFlush = 50;

using Instruction = uint32_t;

inline constexpr int kSizeA = 8, kSizeB = 9, kSizeC = 9, kSizeBx = 18, kSizeAx = 26;
inline constexpr int kPosA = 6, kPosC = 14, kPosB = 23, kPosBx = 14, kPosAx = 6;
inline constexpr int kMaxArgA = (1 << kSizeA) - 1;
inline constexpr int kMaxArgB = (1 << kSizeB) - 1;
inline constexpr int kMaxArgC = (1 << kSizeC) - 1;
inline constexpr int kMaxArgBx = (1 << kSizeBx) - 1;
inline constexpr int kMaxArgAx = (1 << kSizeAx) - 1;
inline constexpr int kMaxArgSBx = kMaxArgBx >> 1;
// RK operands: values with this bit set index the constant table.
inline constexpr int kConstantBit = 1 << (kSizeB - 1);
inline constexpr int kMaxIndexRK = kConstantBit - 1;

// The opcode of an instruction in any of its forms: opcodes stand for
// themselves, forms for their opcode.
inline constexpr auto kOpcodeOfNumber = [] {
  struct Table {
    OpCode of[64];
  } table{};
  for (int n = 0; n < 64; n++) table.of[n] = static_cast<OpCode>(n);
#define TAMORI_FORM_OPCODE(form, number, opcode) table.of[number] = OpCode::opcode;
  TAMORI_INSTRUCTION_FORMS(TAMORI_FORM_OPCODE)
#undef TAMORI_FORM_OPCODE
  return table;
}();
constexpr OpCode opcode_of(Instruction i) { return kOpcodeOfNumber.of[i & 0x3f]; }
constexpr int arg_a(Instruction i) { return int((i >> kPosA) & kMaxArgA); }
constexpr int arg_b(Instruction i) { return int((i >> kPosB) & kMaxArgB); }
constexpr int arg_c(Instruction i) { return int((i >> kPosC) & kMaxArgC); }
constexpr int arg_bx(Instruction i) { return int((i >> kPosBx) & kMaxArgBx); }
constexpr int arg_sbx(Instruction i) { return arg_bx(i) - kMaxArgSBx; }
constexpr int arg_ax(Instruction i) { return int((i >> kPosAx) & kMaxArgAx); }
constexpr bool is_constant(int rk) { return (rk & kConstantBit) != 0; }
constexpr int constant_index(int rk) { return rk & ~kConstantBit; }
constexpr int rk_constant(int index) { return index | kConstantBit; }

constexpr Instruction make_abc(OpCode op, int a, int b, int c) {
  return Instruction(op) | (Instruction(a) << kPosA) | (Instruction(b) << kPosB) |
         (Instruction(c) << kPosC);
}
constexpr Instruction make_abx(OpCode op, int a, int bx) {
  return Instruction(op) | (Instruction(a) << kPosA) | (Instruction(bx) << kPosBx);
}
constexpr Instruction make_asbx(OpCode op, int a, int sbx) { return make_abx(op, a, sbx + kMaxArgSBx); }
// The instruction in its general form, as the compiler made it.
constexpr Instruction general_form(Instruction i) { return (i & ~Instruction(0x3f)) | Instruction(opcode_of(i)); }
constexpr Instruction with_form(Instruction i, InstructionForm form) {
  return (i & ~Instruction(0x3f)) | Instruction(form);
}
constexpr Instruction make_ax(OpCode op, int ax) {
  return Instruction(op) | (Instruction(ax) << kPosAx);
}

}  // namespace tamori::lang
