#include "shellctrls/dragdrop/KdFormatEtcList.h"

#include <cstring>

void TKdFormatEtcList::TDescriptorDeleter::operator()(FORMATETC *descriptor) const {
  if (!descriptor)
    return;
  CoTaskMemFree(descriptor->ptd);
  delete descriptor;
}

void TKdFormatEtcList::AddFormats(const CLIPFORMAT *formats, int lastIndex) {
  for (int i = 0; i <= lastIndex; ++i) {
    std::unique_ptr<FORMATETC, TDescriptorDeleter> descriptor(new FORMATETC{});
    descriptor->cfFormat = formats[i];
    descriptor->ptd = nullptr;
    descriptor->dwAspect = DVASPECT_CONTENT;
    descriptor->lindex = -1;
    descriptor->tymed = TYMED_HGLOBAL;
    FItems.push_back(std::move(descriptor));
  }
}

void TKdFormatEtcList::Clear() { FItems.clear(); }

HRESULT TKdFormatEtcList::QueryFormat(const FORMATETC &request) const {
  if (request.dwAspect != DVASPECT_CONTENT)
    return DV_E_FORMATETC;
  bool formatFound = false;
  for (const auto &descriptor : FItems) {
    if (descriptor->cfFormat != request.cfFormat)
      continue;
    if (descriptor->tymed & request.tymed)
      return S_OK;
    formatFound = true;
  }
  return formatFound ? DV_E_TYMED : DV_E_FORMATETC;
}

ComPtr<IEnumFORMATETC> TKdFormatEtcList::NewEnumerator(IUnknown *owner) const {
  return MakeComObject<IEnumFORMATETC, TKdFormatEtcList_IEnumFormatEtc>(this, owner);
}

TKdFormatEtcList_IEnumFormatEtc::TKdFormatEtcList_IEnumFormatEtc(const TKdFormatEtcList *list, IUnknown *owner,
                                                                 ULONG position)
    : FList(list), FOwner(ComPtr<IUnknown>::AddRefed(owner)), FPosition(position) {}

HRESULT TKdFormatEtcList_IEnumFormatEtc::Next(ULONG count, FORMATETC *array, ULONG *fetched) {
  ULONG copied = 0;
  const ULONG total = static_cast<ULONG>(FList->Count());
  while (copied < count && FPosition < total) {
    // The target device pointer goes as it is: every descriptor here has none.
    std::memcpy(&array[copied], FList->Items(static_cast<int>(FPosition)), sizeof(FORMATETC));
    ++copied;
    ++FPosition;
  }
  if (fetched)
    *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

HRESULT TKdFormatEtcList_IEnumFormatEtc::Skip(ULONG count) {
  const ULONG left = static_cast<ULONG>(FList->Count()) - FPosition;
  if (count > left) {
    FPosition = static_cast<ULONG>(FList->Count());
    return S_FALSE;
  }
  FPosition += count;
  return S_OK;
}

HRESULT TKdFormatEtcList_IEnumFormatEtc::Reset() {
  FPosition = 0;
  return S_OK;
}

HRESULT TKdFormatEtcList_IEnumFormatEtc::Clone(IEnumFORMATETC **out) {
  if (!out)
    return E_POINTER;
  *out = MakeComObject<IEnumFORMATETC, TKdFormatEtcList_IEnumFormatEtc>(FList, FOwner.Get(), FPosition).Detach();
  return S_OK;
}
