#pragma once
// Keyboard shortcut codes: a virtual-key code in the low byte, modifier bits above it (0 means none).
#include <windows.h>

#include <cstdint>

// The modifier keys and mouse buttons held during an input event, as a small bit set.
enum TShiftStateFlag : uint8_t {
  ssShift = 0x01,
  ssAlt = 0x02,
  ssCtrl = 0x04,
  ssLeft = 0x08,
  ssRight = 0x10,
  ssMiddle = 0x20,
  ssDouble = 0x40,
};

class TShiftState {
public:
  constexpr TShiftState() = default;
  constexpr TShiftState(TShiftStateFlag flag) : FBits(flag) {}

  constexpr bool Contains(TShiftStateFlag flag) const { return (FBits & flag) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr uint8_t Bits() const { return FBits; }

  constexpr TShiftState &operator|=(TShiftState other) {
    FBits = static_cast<uint8_t>(FBits | other.FBits);
    return *this;
  }
  constexpr TShiftState &operator&=(TShiftState other) {
    FBits = static_cast<uint8_t>(FBits & other.FBits);
    return *this;
  }
  constexpr TShiftState &Exclude(TShiftStateFlag flag) {
    FBits = static_cast<uint8_t>(FBits & ~flag);
    return *this;
  }
  friend constexpr TShiftState operator|(TShiftState a, TShiftState b) { return a |= b; }
  friend constexpr TShiftState operator&(TShiftState a, TShiftState b) { return a &= b; }
  friend constexpr bool operator==(TShiftState a, TShiftState b) { return a.FBits == b.FBits; }

private:
  uint8_t FBits = 0;
};

constexpr TShiftState operator|(TShiftStateFlag a, TShiftStateFlag b) { return TShiftState(a) | TShiftState(b); }

using TShortCut = uint16_t;

// Shortcut modifier bits.
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

// The shortcut code of key with the Shift, Ctrl and Alt members of shift (mouse buttons are ignored).
TShortCut ShortCut(WORD key, TShiftState shift);

// The shift state of a keyboard message from the current key state (Shift, Ctrl, Alt).
TShiftState KeyboardShiftState();
// The shift state of a mouse message's wParam (MK_... flags) plus the Alt key's current state.
TShiftState MouseShiftState(WPARAM keys);
