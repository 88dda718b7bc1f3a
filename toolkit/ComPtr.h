#pragma once
// Owning reference to a COM interface: releases it on every exit path.
#include <unknwn.h>

#include <utility>

template <class T> class ComPtr {
public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes over a reference the caller already holds (no AddRef).
  explicit ComPtr(T *p) : FPtr(p) {}
  ComPtr(const ComPtr &other) : FPtr(other.FPtr) {
    if (FPtr)
      FPtr->AddRef();
  }
  ComPtr(ComPtr &&other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
  ~ComPtr() { Reset(); }

  ComPtr &operator=(ComPtr other) noexcept {
    std::swap(FPtr, other.FPtr);
    return *this;
  }

  // Adds a reference of our own to p.
  static ComPtr AddRefed(T *p) {
    if (p)
      p->AddRef();
    return ComPtr(p);
  }

  T *Get() const { return FPtr; }
  T *operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }

  // Out parameter for creation calls: releases what was held first.
  T **Put() {
    Reset();
    return &FPtr;
  }
  void **PutVoid() { return reinterpret_cast<void **>(Put()); }

  void Reset() {
    if (FPtr)
      std::exchange(FPtr, nullptr)->Release();
  }
  // Hands the reference to the caller.
  T *Detach() { return std::exchange(FPtr, nullptr); }

  template <class U> HRESULT As(ComPtr<U> &out) const {
    if (!FPtr)
      return E_POINTER;
    return FPtr->QueryInterface(__uuidof(U), out.PutVoid());
  }

private:
  T *FPtr = nullptr;
};
