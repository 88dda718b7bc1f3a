#pragma once
// The base of every COM object the program makes itself: one reference count, one QueryInterface over the
// interfaces it names, one way to hand out the first reference. An object starts with no reference; the
// ComPtr that MakeComObject returns holds the first one, and the last Release deletes it.
#include <unknwn.h>

#include <utility>

#include "toolkit/ComPtr.h"

// The interface id of TInterface; specialised for an interface the platform's headers declare without one.
template <class TInterface> struct TInterfaceId {
  static const IID &Get() { return __uuidof(TInterface); }
};

template <class TFirst, class... TMore> class TComObject : public TFirst, public TMore... {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override {
    if (!object)
      return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown)
      *object = static_cast<TFirst *>(this);
    else
      FindInterface<TFirst, TMore...>(riid, object);
    if (!*object)
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG count = InterlockedDecrement(&FRefCount);
    if (count == 0)
      delete this;
    return static_cast<ULONG>(count);
  }

protected:
  TComObject() = default;
  virtual ~TComObject() = default;
  TComObject(const TComObject &) = delete;
  TComObject &operator=(const TComObject &) = delete;

private:
  template <class TInterface, class... TRest> void FindInterface(REFIID riid, void **object) {
    if (riid == TInterfaceId<TInterface>::Get()) {
      *object = static_cast<TInterface *>(this);
      return;
    }
    if constexpr (sizeof...(TRest) > 0)
      FindInterface<TRest...>(riid, object);
  }

  LONG FRefCount = 0;
};

// A new object of type TObject seen through TInterface, holding its first reference.
template <class TInterface, class TObject, class... TArgs> ComPtr<TInterface> MakeComObject(TArgs &&...args) {
  return ComPtr<TInterface>::AddRefed(static_cast<TInterface *>(new TObject(std::forward<TArgs>(args)...)));
}
