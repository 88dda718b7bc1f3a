#pragma once
// The clipboard formats a data object of the shell controls offers, and the enumerator OLE walks them with.
// Every format is offered in global memory, for its content, with no target device.
#include <windows.h>

#include <ole2.h>

#include <memory>
#include <vector>

#include "toolkit/ComObject.h"
#include "toolkit/Component.h"

class TKdFormatEtcList : public TObject {
public:
  TKdFormatEtcList() = default;
  ~TKdFormatEtcList() override { Clear(); }
  TKdFormatEtcList(const TKdFormatEtcList &) = delete;
  TKdFormatEtcList &operator=(const TKdFormatEtcList &) = delete;

  // Borrowed.
  const FORMATETC *Items(int index) const { return FItems[static_cast<size_t>(index)].get(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  // Appends one descriptor per format of formats[0..lastIndex].
  void AddFormats(const CLIPFORMAT *formats, int lastIndex);
  void Clear();
  // S_OK when a descriptor has the format and shares a medium with the request; DV_E_TYMED when one has
  // only the format; DV_E_FORMATETC otherwise, and for any aspect but the content.
  HRESULT QueryFormat(const FORMATETC &request) const;
  // A new enumerator at the first descriptor. It keeps owner (the data object this list belongs to) alive while
  // it exists, so the list cannot go before it.
  ComPtr<IEnumFORMATETC> NewEnumerator(IUnknown *owner) const;

private:
  struct TDescriptorDeleter {
    void operator()(FORMATETC *descriptor) const;
  };
  std::vector<std::unique_ptr<FORMATETC, TDescriptorDeleter>> FItems;
};

class TKdFormatEtcList_IEnumFormatEtc : public TComObject<IEnumFORMATETC> {
public:
  TKdFormatEtcList_IEnumFormatEtc(const TKdFormatEtcList *list, IUnknown *owner, ULONG position = 0);

  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC *array, ULONG *fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC **out) override;

private:
  const TKdFormatEtcList *FList;
  ComPtr<IUnknown> FOwner;
  ULONG FPosition;
};
