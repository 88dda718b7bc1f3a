#include "FakeSendToFolder.h"

#include <shellapi.h>

#include "shellns/IdList.h"
#include "toolkit/SysUtils.h"

namespace zortest {

ComPtr<RecordingDropTarget> RecordingDropTarget::Create() {
  return ComPtr<RecordingDropTarget>(new RecordingDropTarget);
}

HRESULT RecordingDropTarget::QueryInterface(REFIID riid, void **object) {
  if (riid == IID_IUnknown || riid == IID_IDropTarget) {
    *object = static_cast<IDropTarget *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG RecordingDropTarget::AddRef() { return ++FRefCount; }

ULONG RecordingDropTarget::Release() {
  ULONG count = --FRefCount;
  if (count == 0)
    delete this;
  return count;
}

void RecordingDropTarget::Record(const char *method, DWORD keyState, POINTL point, const DWORD *effect, bool hadData) {
  Calls.push_back({method, keyState, point, effect ? *effect : 0, hadData});
}

HRESULT RecordingDropTarget::DragEnter(IDataObject *data, DWORD keyState, POINTL point, DWORD *effect) {
  Record("DragEnter", keyState, point, effect, data != nullptr);
  return S_OK;
}

HRESULT RecordingDropTarget::DragOver(DWORD keyState, POINTL point, DWORD *effect) {
  Record("DragOver", keyState, point, effect, false);
  return S_OK;
}

HRESULT RecordingDropTarget::DragLeave() {
  Record("DragLeave", 0, POINTL{0, 0}, nullptr, false);
  return S_OK;
}

HRESULT RecordingDropTarget::Drop(IDataObject *data, DWORD keyState, POINTL point, DWORD *effect) {
  Record("Drop", keyState, point, effect, data != nullptr);
  if (!data)
    return S_OK;
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  if (FAILED(data->GetData(&format, &medium)))
    return S_OK;
  auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
  if (drop) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      wchar_t path[MAX_PATH * 4] = {};
      DragQueryFileW(drop, i, path, MAX_PATH * 4);
      DroppedPaths.push_back(WideToUtf8(path));
    }
    GlobalUnlock(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  return S_OK;
}

FakeSendToFolder::FakeSendToFolder(std::string path) : FPath(std::move(path)), FPrevious(SetSendToFolder(this)) {}

FakeSendToFolder::~FakeSendToFolder() { SetSendToFolder(FPrevious); }

HRESULT FakeSendToFolder::Bind(ComPtr<IShellFolder> &folder) {
  folder.Reset();
  TKdIdListPtr list;
  HRESULT hr = ParseDisplayNameToIdList(FPath, list);
  if (FAILED(hr))
    return hr;
  return BindToShellFolder(list.get(), folder);
}

HRESULT FakeSendToFolder::ItemDropTarget(IShellFolder *folder, LPCITEMIDLIST item, ComPtr<IDropTarget> &target) {
  TargetNames.push_back(GetItemDisplayName(folder, item, dnForParsing));
  target = ComPtr<IDropTarget>::AddRefed(Target.Get());
  return S_OK;
}

} // namespace zortest
