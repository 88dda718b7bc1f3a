#pragma once
// A set of a control's options, bit n standing for option n, stored in 16 bits.
#include <cstdint>

template <class TOption> class TKdOptionSet {
public:
  constexpr TKdOptionSet() = default;
  constexpr TKdOptionSet(TOption option) : FBits(static_cast<uint16_t>(1u << option)) {}
  static constexpr TKdOptionSet FromBits(uint16_t bits) {
    TKdOptionSet options;
    options.FBits = bits;
    return options;
  }

  constexpr bool Contains(TOption option) const { return (FBits >> option) & 1u; }
  constexpr uint16_t Bits() const { return FBits; }
  constexpr TKdOptionSet &Include(TOption option) {
    FBits = static_cast<uint16_t>(FBits | (1u << option));
    return *this;
  }
  constexpr TKdOptionSet &Exclude(TOption option) {
    FBits = static_cast<uint16_t>(FBits & ~(1u << option));
    return *this;
  }
  friend constexpr TKdOptionSet operator|(TKdOptionSet a, TKdOptionSet b) {
    return FromBits(static_cast<uint16_t>(a.FBits | b.FBits));
  }
  friend constexpr TKdOptionSet operator-(TKdOptionSet a, TKdOptionSet b) {
    return FromBits(static_cast<uint16_t>(a.FBits & ~b.FBits));
  }
  friend constexpr bool operator==(TKdOptionSet a, TKdOptionSet b) { return a.FBits == b.FBits; }

private:
  uint16_t FBits = 0;
};
