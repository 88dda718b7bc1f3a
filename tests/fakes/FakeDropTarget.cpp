#include "fakes/FakeDropTarget.h"

#include <shellapi.h>

#include "toolkit/SysUtils.h"

namespace zortest {

std::vector<std::string> DroppedPaths(IDataObject *data) {
  std::vector<std::string> paths;
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  if (!data || data->GetData(&format, &medium) != S_OK)
    return paths;
  auto drop = static_cast<HDROP>(medium.hGlobal);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
    DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
    paths.push_back(WideToUtf8(path.c_str()));
  }
  ReleaseStgMedium(&medium);
  return paths;
}

// ---- FakeDropTarget ----

ComPtr<FakeDropTarget> FakeDropTarget::Create() { return ComPtr<FakeDropTarget>(new FakeDropTarget()); }

std::vector<FakeDropTarget::Call> FakeDropTarget::Drops() const {
  std::vector<Call> drops;
  for (const Call &call : Calls)
    if (call.Kind == "drop")
      drops.push_back(call);
  return drops;
}

HRESULT FakeDropTarget::QueryInterface(REFIID riid, void **object) {
  if (riid == IID_IUnknown || riid == IID_IDropTarget) {
    *object = static_cast<IDropTarget *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeDropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }

ULONG FakeDropTarget::Release() {
  const LONG count = InterlockedDecrement(&FRefCount);
  if (count == 0)
    delete this;
  return static_cast<ULONG>(count);
}

HRESULT FakeDropTarget::DragEnter(IDataObject *data, DWORD keys, POINTL, DWORD *effect) {
  Calls.push_back({"enter", keys, *effect, DroppedPaths(data)});
  *effect &= Answer;
  return S_OK;
}

HRESULT FakeDropTarget::DragOver(DWORD keys, POINTL, DWORD *effect) {
  Calls.push_back({"over", keys, *effect, {}});
  *effect &= Answer;
  return S_OK;
}

HRESULT FakeDropTarget::DragLeave() {
  Calls.push_back({"leave", 0, 0, {}});
  return S_OK;
}

HRESULT FakeDropTarget::Drop(IDataObject *data, DWORD keys, POINTL, DWORD *effect) {
  Calls.push_back({"drop", keys, *effect, DroppedPaths(data)});
  *effect &= Answer;
  return S_OK;
}

// ---- ScriptedDropSource ----

void ScriptedDropSource::SetKeyDown(int key, bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[key] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

ComPtr<ScriptedDropSource> ScriptedDropSource::Create(ComPtr<IDropSource> real, int button, std::vector<Step> steps,
                                                      bool holdAtEnd) {
  ComPtr<ScriptedDropSource> source(new ScriptedDropSource());
  source->FReal = std::move(real);
  source->FButton = button;
  source->FSteps = std::move(steps);
  source->FHoldAtEnd = holdAtEnd;
  SetKeyDown(button, true);
  return source;
}

HRESULT ScriptedDropSource::QueryInterface(REFIID riid, void **object) {
  if (riid == IID_IUnknown || riid == IID_IDropSource) {
    *object = static_cast<IDropSource *>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ScriptedDropSource::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }

ULONG ScriptedDropSource::Release() {
  const LONG count = InterlockedDecrement(&FRefCount);
  if (count == 0)
    delete this;
  return static_cast<ULONG>(count);
}

HRESULT ScriptedDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  const DWORD now = GetTickCount();
  if (FIndex < FSteps.size()) {
    Step &step = FSteps[FIndex];
    if (!FArrived) {
      SetCursorPos(step.Screen.x, step.Screen.y);
      FArrived = true;
      FSince = now;
    } else if (now - FSince >= step.RestMs) {
      if (step.Then)
        step.Then();
      ++FIndex;
      FArrived = false;
      FSince = now;
    }
  } else if (!FHoldAtEnd || now - FSince > 5000) {
    SetKeyDown(FButton, false);
    keyState &= ~static_cast<DWORD>(FButton == VK_RBUTTON ? MK_RBUTTON : MK_LBUTTON);
  }
  LastAnswer = FReal->QueryContinueDrag(escapePressed, keyState);
  if (LastAnswer != S_OK)
    SetKeyDown(FButton, false);
  return LastAnswer;
}

HRESULT ScriptedDropSource::GiveFeedback(DWORD effect) { return FReal->GiveFeedback(effect); }

} // namespace zortest
