// Keyboard scancodes as the host reports them (USB HID usage numbers, the
// numbering SDL uses), for the few keys the core names.
#pragma once

namespace tamori::host::scancode {

inline constexpr int A = 4, C = 6, D = 7, E = 8, F = 9, M = 16, N = 17, P = 19, Q = 20, R = 21, S = 22, V = 25, W = 26,
                     X = 27, Z = 29;
inline constexpr int Digit1 = 30, Digit6 = 35, Digit7 = 36, Digit8 = 37, Digit9 = 38, Digit0 = 39;
inline constexpr int Return = 40, Escape = 41, Backspace = 42, Tab = 43, Space = 44, Minus = 45, Equals = 46;
inline constexpr int F1 = 58, F2 = 59, F3 = 60, F4 = 61, F5 = 62, F6 = 63, F7 = 64, F8 = 65, F9 = 66, F10 = 67,
                     F11 = 68, F12 = 69;
inline constexpr int Insert = 73, Delete = 76, Right = 79, Left = 80, Down = 81, Up = 82;
inline constexpr int KeypadEnter = 88, Keypad1 = 89, Keypad2 = 90, Keypad4 = 92, Keypad5 = 93, Keypad6 = 94,
                     Keypad8 = 96;
inline constexpr int LeftCtrl = 224, LeftShift = 225, LeftAlt = 226, LeftGui = 227, RightCtrl = 228,
                     RightShift = 229, RightAlt = 230, RightGui = 231;

}  // namespace tamori::host::scancode
