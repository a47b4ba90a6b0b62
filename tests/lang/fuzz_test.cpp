// Randomised robustness tests of the front end. Random bytes, random token
// soups and mutated real cartridge code go through the lexer, the parser and
// code generator, the listing and the token counter: nothing may crash or
// hang, a failure must come with a message, and whatever compiles must be
// well-formed code (jumps, registers, constants and prototypes in range).
// Deeply nested input must stop at the 200-level limit with the compiler's
// own error, never with a native stack overflow. The seed is fixed, so a
// failure names an input that can be reproduced.
#include <gtest/gtest.h>

#include <random>

#include "cartridge_files.h"
#include "lang/compiler.h"
#include "lang/lexer.h"
#include "lang/listing.h"
#include "lang/token_scanner.h"

namespace tamori::lang {
namespace {

// --- checking compiled code ---------------------------------------------------

// Returns "" when every operand of `f` and its nested functions is in range,
// else a description of the first fault.
std::string check_function(const CompiledFunction& f, const CompiledFunction* parent) {
  const int code_size = int(f.code.size());
  const int stack = f.max_stack_size;
  if (code_size == 0) return "empty code";
  if (f.line_of_instruction.size() != f.code.size()) return "line table size";
  if (opcode_of(f.code.back()) != OpCode::RETURN) return "does not end with RETURN";
  auto constant_ok = [&](int index) { return index >= 0 && size_t(index) < f.constants.size(); };
  auto rk_ok = [&](int operand) {
    return is_constant(operand) ? constant_ok(constant_index(operand)) : operand < stack;
  };
  for (int pc = 0; pc < code_size; ++pc) {
    Instruction i = f.code[size_t(pc)];
    std::string where = "pc " + std::to_string(pc) + ": ";
    if (int(i & 0x3f) >= kOpcodeCount) return where + "bad opcode";
    OpCode op = opcode_of(i);
    const OpcodeInfo& info = kOpcodeInfo[int(op)];
    int a = arg_a(i);
    if (info.format == InstructionFormat::ABC) {
      if (info.mode_b == OperandMode::Register && arg_b(i) >= stack) return where + "register B";
      if (info.mode_b == OperandMode::RegisterOrConstant && !rk_ok(arg_b(i))) return where + "RK B";
      if (info.mode_c == OperandMode::Register && arg_c(i) >= stack) return where + "register C";
      if (info.mode_c == OperandMode::RegisterOrConstant && !rk_ok(arg_c(i))) return where + "RK C";
    }
    switch (op) {
      case OpCode::JMP:
      case OpCode::FORLOOP:
      case OpCode::FORPREP:
      case OpCode::TFORLOOP: {
        int target = pc + 1 + arg_sbx(i);
        if (target < 0 || target >= code_size) return where + "jump out of the code";
        break;
      }
      case OpCode::LOADK:
        if (!constant_ok(arg_bx(i))) return where + "LOADK constant";
        break;
      case OpCode::LOADKX:
        if (pc + 1 >= code_size || opcode_of(f.code[size_t(pc) + 1]) != OpCode::EXTRAARG ||
            !constant_ok(arg_ax(f.code[size_t(pc) + 1]))) {
          return where + "LOADKX without its constant";
        }
        break;
      case OpCode::CLOSURE:
        if (size_t(arg_bx(i)) >= f.functions.size()) return where + "CLOSURE prototype";
        break;
      case OpCode::GETUPVAL:
      case OpCode::SETUPVAL:
      case OpCode::GETTABUP:
        if (size_t(arg_b(i)) >= f.upvalues.size()) return where + "upvalue B";
        break;
      case OpCode::SETTABUP:
        if (size_t(a) >= f.upvalues.size()) return where + "upvalue A";
        break;
      case OpCode::LOADNIL:
        if (a + arg_b(i) >= stack) return where + "LOADNIL range";
        break;
      default: break;
    }
    bool a_is_register = op != OpCode::JMP && op != OpCode::SETTABUP && op != OpCode::EXTRAARG &&
                         info.format != InstructionFormat::Ax;
    // An empty return may name the first free register.
    int a_limit = op == OpCode::RETURN && arg_b(i) == 1 ? stack + 1 : stack;
    if (a_is_register && a >= a_limit) return where + "register A";
    if (info.is_test &&
        (pc + 1 >= code_size || opcode_of(f.code[size_t(pc) + 1]) != OpCode::JMP)) {
      return where + "test not followed by a jump";
    }
  }
  for (const UpvalueDescription& upvalue : f.upvalues) {
    if (!parent) continue;
    if (upvalue.in_stack ? upvalue.index >= parent->max_stack_size
                         : upvalue.index >= parent->upvalues.size()) {
      return "upvalue " + upvalue.name + " out of range";
    }
  }
  for (const auto& nested : f.functions) {
    std::string fault = check_function(*nested, &f);
    if (!fault.empty()) return "in function at line " + std::to_string(nested->line_defined) + ": " + fault;
  }
  return "";
}

// Runs one input through every front-end stage; returns "" or the fault.
std::string exercise(const std::string& source) {
  LexerState lexer;
  lexer_start(lexer, source);
  try {
    for (int guard = 0; guard <= int(source.size()) + 1; ++guard) {
      lexer_next(lexer);
      if (lexer.token.kind == kTokenEndOfStream) break;
    }
    if (lexer.token.kind != kTokenEndOfStream) return "lexer does not reach the end";
  } catch (const CompileFailure& failure) {
    if (failure.message.empty()) return "lexer error without a message";
  }
  TokenScanner scanner;
  size_t before = 0;
  for (first_token(scanner, source); scanner.kind != CountedTokenKind::kEndOfText; next_token(scanner)) {
    if (scanner.position <= before) return "token scanner stands still";
    before = scanner.position;
  }
  CompileResult result = compile_chunk(source, "fuzz");
  if (!result.ok()) return result.error_message.empty() ? "error without a message" : "";
  std::string fault = check_function(*result.function, nullptr);
  if (!fault.empty()) return fault;
  if (list_function(*result.function).empty()) return "empty listing";
  return "";
}

std::string shown(const std::string& source) {
  std::string out;
  for (unsigned char c : source.substr(0, 300)) {
    if (c >= 32 && c < 127) out += char(c);
    else out += "\\x" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
  }
  return out;
}

// --- inputs -----------------------------------------------------------------------

const char* const kVocabulary[] = {
    "and", "break", "do", "else", "elseif", "end", "false", "for", "function", "goto", "if",
    "in", "local", "nil", "not", "or", "repeat", "return", "then", "true", "until", "while",
    "..", "...", "==", ">=", "<=", "~=", "!=", "::", "?", "^^", "<<", ">>", ">>>", "<<>", ">><",
    "+=", "-=", "*=", "/=", "%=", "^=", "\\=", "&=", "|=", "^^=", "<<=", ">>=", ">>>=", "<<>=",
    ">><=", "..=", "+", "-", "*", "/", "\\", "%", "^", "#", "&", "|", "~", "@", "$", "!", "<", ">",
    "=", "(", ")", "{", "}", "[", "]", ";", ":", ",", ".", "\n", "\n", "\n", " ", "x", "y", "t",
    "f", "self", "print", "_ENV", "a.b", "t[1]", "f()", "0", "1", "-1", "0x7fff.ffff", "0b101",
    ".5", "1.", "'s'", "\"str\\n\"", "[[long]]", "-- c\n", "// c\n", "--[[ c ]]", "x = 1\n",
    "local a, b = 1, 2\n", "function g(a, ...) return ... end\n", "if (x) y = 1\n",
    "while (x) x -= 1\n", "? x, y\n", "t[f()] += 1\n", "::l:: goto l\n", "for i = 1, 3 do end\n",
    "for k, v in pairs(t) do end\n", "repeat local z until z\n", "function t:m() return self end\n",
};

class InputMaker {
 public:
  explicit InputMaker(uint32_t seed) : random_(seed) {}

  int below(int n) { return int(random_() % uint32_t(n)); }

  std::string random_bytes() {
    std::string out(size_t(below(200)), '\0');
    for (char& c : out) c = char(below(256));
    return out;
  }

  std::string token_soup() {
    std::string out;
    int count = below(80);
    for (int i = 0; i < count; ++i) {
      out += kVocabulary[below(int(std::size(kVocabulary)))];
      if (below(3) != 0) out += ' ';
    }
    return out;
  }

  // A slice of real code with a few random edits.
  std::string mutation(const std::string& code) {
    if (code.empty()) return token_soup();
    size_t start = size_t(below(int(code.size())));
    std::string out = code.substr(start, size_t(below(3000)));
    int edits = 1 + below(4);
    for (int e = 0; e < edits; ++e) {
      size_t at = out.empty() ? 0 : size_t(below(int(out.size())));
      size_t length = size_t(below(20));
      switch (below(5)) {
        case 0: out.erase(at, length); break;
        case 1: out.insert(at, kVocabulary[below(int(std::size(kVocabulary)))]); break;
        case 2: out.insert(at, out.substr(at, length)); break;
        case 3:
          if (!out.empty()) out[at] = char(below(256));
          break;
        default: out.insert(at, std::string(size_t(1 + below(3)), "([{\"'"[below(5)]));
      }
    }
    return out;
  }

  // A random program that follows the grammar, so that most of them compile
  // and reach the code generator with every operator and statement form.
  std::string program() {
    std::string out;
    int statements = 1 + below(12);
    for (int i = 0; i < statements; ++i) out += statement(kTopLevel) + "\n";
    return out;
  }

 private:
  std::string name() { return std::string(1, "abcxyz"[below(6)]); }

  std::string expression(int depth) {
    static const char* const kBinary[] = {"+", "-", "*", "/", "\\", "%", "^", "..", "&", "|",
                                          "^^", "~", "<<", ">>", ">>>", "<<>", ">><", "==",
                                          "~=", "!=", "<", "<=", ">", ">=", "and", "or"};
    static const char* const kUnary[] = {"- ", "not ", "#", "~", "@", "%", "$"};
    static const char* const kAtoms[] = {"1", "0", "-1", "0.5", "0x7fff.ffff", "'s'", "nil",
                                         "true", "false", "{}", "x", "t.f", "t[1]"};
    if (depth <= 0 || below(3) == 0) {
      if (below(2) == 0) return name();
      return kAtoms[below(int(std::size(kAtoms)))];
    }
    switch (below(8)) {
      case 0: return kUnary[below(int(std::size(kUnary)))] + expression(depth - 1);
      case 1: return "(" + expression(depth - 1) + ")";
      case 2: return name() + "(" + expression(depth - 1) + ", " + expression(depth - 1) + ")";
      case 3: return "{" + expression(depth - 1) + ", k = " + expression(depth - 1) + "}";
      case 4: return "function(" + name() + ") return " + expression(depth - 1) + " end";
      case 5: return name() + ":m(" + expression(depth - 1) + ")";
      case 6: return name() + "[" + expression(depth - 1) + "]";
      default:
        return expression(depth - 1) + " " + kBinary[below(int(std::size(kBinary)))] + " " +
               expression(depth - 1);
    }
  }

  std::string target() {
    switch (below(3)) {
      case 0: return name();
      case 1: return name() + "." + name();
      default: return name() + "[" + expression(1) + "]";
    }
  }

  std::string block(int depth) {
    std::string out;
    int count = below(3);
    for (int i = 0; i < count; ++i) out += statement(depth - 1) + " ";
    return out;
  }

  // At least one statement, and not one starting with "do", which would
  // take the place of "then" or make a normal while loop.
  std::string one_line_body(int depth) {
    std::string first = statement(depth - 1);
    if (first.starts_with("do ")) first = "f() " + first;
    return first + " " + block(depth);
  }

  std::string statement(int depth) {
    static const char* const kCompound[] = {"+=", "-=", "*=", "/=", "%=", "^=", "\\=", "&=",
                                            "|=", "^^=", "<<=", ">>=", ">>>=", "<<>=", ">><=", "..="};
    std::string e = expression(2);
    if (depth <= 0) return target() + " = " + e;
    switch (below(14)) {
      case 0: return "local " + name() + ", " + name() + " = " + e;
      case 1: return target() + " " + kCompound[below(int(std::size(kCompound)))] + " " + e;
      case 2: return "if " + e + " then " + block(depth) + "elseif " + expression(1) + " then " +
                     block(depth) + "else " + block(depth) + "end";
      case 3: return "if (" + e + ") " + one_line_body(depth) + (below(2) ? "else " + block(depth) : "");
      case 4: return "while " + e + " do " + block(depth) + (below(2) ? "break " : "") + "end";
      case 5: return "while (" + e + ") " + one_line_body(depth);
      case 6: return "for " + name() + " = " + e + ", 10 do " + block(depth) + "end";
      case 7: return "for k, v in " + e + " do " + block(depth) + "end";
      case 8: return "repeat local r = " + e + " " + block(depth) + "until r";
      case 9: return "do local " + name() + " = " + e + " " + block(depth) + "end";
      case 10: return "function " + name() + "." + name() + ":m(a, ...) " + block(depth) +
                      "return " + e + ", ... end";
      // "?" takes the rest of its line.
      case 11: return depth == kTopLevel ? "? " + e + ", " + expression(1) : "f(" + e + ")";
      case 12: {
        std::string label = "l" + std::to_string(++labels_);
        return "::" + label + ":: " + block(depth) + "goto " + label;
      }
      default: return name() + "(" + e + ")";
    }
  }

  static constexpr int kTopLevel = 3;
  std::mt19937 random_;
  int labels_ = 0;
};

// Real cartridge code from the shared folder, or a local snippet when the
// folder is missing.
std::vector<std::string> corpus() {
  std::vector<std::string> codes;
  for (const auto& path : shared_cartridge_files()) codes.push_back(cartridge_code(path));
  if (codes.empty()) {
    codes.push_back("function _init() t = {x = 1, [2] = 'a'} end\n"
                    "function _update() t.x += 1 if (t.x > 10) t.x = 0\n end\n"
                    "function _draw() for i = 1, #t do ? t[i], i\n end end\n");
  }
  return codes;
}

TEST(FrontEndFuzz, RandomBytesNeverBreakTheCompiler) {
  InputMaker maker(20261208);
  for (int n = 0; n < 1500; ++n) {
    std::string source = maker.random_bytes();
    std::string fault = exercise(source);
    ASSERT_EQ(fault, "") << "input " << n << ": " << shown(source);
  }
}

TEST(FrontEndFuzz, TokenSoupsCompileToWellFormedCodeOrFail) {
  InputMaker maker(77);
  int compiled = 0;
  for (int n = 0; n < 3000; ++n) {
    std::string source = maker.token_soup();
    std::string fault = exercise(source);
    ASSERT_EQ(fault, "") << "input " << n << ": " << shown(source);
    compiled += compile_chunk(source, "soup").ok();
  }
  // Some soups must be valid programs, or the code generator went untested.
  EXPECT_GT(compiled, 20);
}

TEST(FrontEndFuzz, GrammaticalProgramsCompileToWellFormedCode) {
  InputMaker maker(2026);
  for (int n = 0; n < 800; ++n) {
    std::string source = maker.program();
    CompileResult result = compile_chunk(source, "program");
    ASSERT_TRUE(result.ok()) << "input " << n << ": " << result.error_message << "\n" << source;
    std::string fault = exercise(source);
    ASSERT_EQ(fault, "") << "input " << n << ": " << shown(source);
  }
}

TEST(FrontEndFuzz, MutatedCartridgeCodeNeverBreaksTheCompiler) {
  std::vector<std::string> codes = corpus();
  InputMaker maker(4242);
  for (int n = 0; n < 1500; ++n) {
    std::string source = maker.mutation(codes[size_t(n) % codes.size()]);
    std::string fault = exercise(source);
    ASSERT_EQ(fault, "") << "input " << n << ": " << shown(source);
  }
}

TEST(FrontEndFuzz, WholeCartridgesCompileToWellFormedCode) {
  for (const std::string& code : corpus()) {
    CompileResult result = compile_chunk(code, "cartridge");
    if (!result.ok()) continue;  // reported by the cartridge test
    EXPECT_EQ(check_function(*result.function, nullptr), "") << code.substr(0, 80);
  }
}

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(FrontEndFuzz, DeepNestingStopsAtTheLevelLimit) {
  const int depth = 10000;
  struct Case {
    const char* name;
    std::string source;
    const char* message = "too many C levels (limit is 200)";
  };
  const Case cases[] = {
      {"parentheses", "x = " + repeat("(", depth) + "1" + repeat(")", depth)},
      {"unclosed parentheses", "x = " + repeat("(", depth)},
      {"negated groups", "x = " + repeat("-(", depth) + "1" + repeat(")", depth)},
      {"spaced unary minus", "x = " + repeat("- ", depth) + "1"},
      {"not", "x = " + repeat("not ", depth) + "1"},
      {"bitwise not and peeks", "x = " + repeat("~@%$#", depth / 5) + "1"},
      {"concatenation chain", "x = " + repeat("a .. ", depth) + "a"},
      {"power chain", "x = " + repeat("a ^ ", depth) + "a"},
      {"tables", "x = " + repeat("{", depth) + repeat("}", depth)},
      {"tables with keys", "x = " + repeat("{a=", depth) + "1" + repeat("}", depth)},
      {"index keys", "x = " + repeat("t[", depth) + "1" + repeat("]", depth)},
      {"call arguments", "x = " + repeat("f(", depth) + repeat(")", depth)},
      {"functions", "x = " + repeat("function() return ", depth) + "1" + repeat(" end", depth)},
      {"function statements", repeat("function f() ", depth) + repeat("end ", depth)},
      {"do blocks", repeat("do ", depth) + repeat("end ", depth)},
      {"if blocks", repeat("if x then ", depth) + repeat("end ", depth)},
      {"one-line ifs", repeat("if (x) ", depth) + "y()"},
      {"while loops", repeat("while x do ", depth) + repeat("end ", depth)},
      {"repeat loops", repeat("repeat ", depth) + repeat("until x ", depth)},
      // Each loop has four locals, so their limit comes first.
      {"for loops", repeat("for i=1,2 do ", depth) + repeat("end ", depth),
       "too many local variables (limit is 200)"},
      {"multiple assignment", repeat("a,", depth) + "a = 1"},
      {"print shorthand", "x = " + repeat("? ", depth) + "1"},
  };
  for (const Case& c : cases) {
    CompileResult result = compile_chunk(c.source, "deep");
    ASSERT_FALSE(result.ok()) << c.name;
    EXPECT_NE(result.error_message.find(c.message), std::string::npos)
        << c.name << ": " << result.error_message;
  }
}

TEST(FrontEndFuzz, LongFlatProgramsCompile) {
  // Long but shallow code is not limited by nesting.
  const std::pair<const char*, std::string> cases[] = {
      {"sum chain", "x = " + repeat("a + ", 5000) + "a"},
      {"or chain", "x = " + repeat("a or ", 3000) + "a"},
      {"field chain", "x = t" + repeat(".f", 5000)},
      {"method chain", "x = o" + repeat(":m()", 3000)},
      {"call chain", "f" + repeat("()", 5000)},
      {"statements", repeat("x = x + 1\n", 5000)},
      {"list", "x = {" + repeat("1,", 5000) + "}"},
      {"long string", "x = \"" + std::string(60000, 'a') + "\""},
  };
  for (const auto& [name, source] : cases) {
    CompileResult result = compile_chunk(source, "flat");
    ASSERT_TRUE(result.ok()) << name << ": " << result.error_message;
    EXPECT_EQ(check_function(*result.function, nullptr), "") << name;
  }
}

}  // namespace
}  // namespace tamori::lang
