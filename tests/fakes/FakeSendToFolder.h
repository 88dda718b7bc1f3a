#pragma once
// A Send To folder of the test's own: its entries are the real files of a folder the test fills, looked up
// by the real shell, but an entry's drop target is a recorder (Wine's shell gives files none). It stands in
// for the user's Send To folder while it lives.
#include <windows.h>

#include <ole2.h>

#include <atomic>
#include <string>
#include <vector>

#include "shellctrls/commands/SendToMenu.h"
#include "toolkit/ComPtr.h"

namespace zortest {

// Records every call a drop target receives and, on Drop, the paths the data object carries.
class RecordingDropTarget : public IDropTarget {
public:
  struct Call {
    std::string Method; // "DragEnter", "DragOver", "DragLeave" or "Drop"
    DWORD KeyState;
    POINTL Point;
    DWORD Effect; // as received
    bool HadData;
  };
  static ComPtr<RecordingDropTarget> Create();

  std::vector<Call> Calls;
  // The CF_HDROP paths of the data object handed to Drop.
  std::vector<std::string> DroppedPaths;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD keyState, POINTL point, DWORD *effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD *effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD keyState, POINTL point, DWORD *effect) override;

private:
  RecordingDropTarget() = default;
  virtual ~RecordingDropTarget() = default;
  void Record(const char *method, DWORD keyState, POINTL point, const DWORD *effect, bool hadData);
  std::atomic<ULONG> FRefCount{1};
};

class FakeSendToFolder : public TKdSendToFolder {
public:
  // Takes the place of the user's Send To folder until it goes.
  explicit FakeSendToFolder(std::string path);
  ~FakeSendToFolder() override;
  FakeSendToFolder(const FakeSendToFolder &) = delete;
  FakeSendToFolder &operator=(const FakeSendToFolder &) = delete;

  std::string Path() override { return FPath; }
  HRESULT Bind(ComPtr<IShellFolder> &folder) override;
  HRESULT ItemDropTarget(IShellFolder *folder, LPCITEMIDLIST item, ComPtr<IDropTarget> &target) override;

  // Every entry's drop target.
  ComPtr<RecordingDropTarget> Target = RecordingDropTarget::Create();
  // The names (in the folder) of the items whose drop target was asked for.
  std::vector<std::string> TargetNames;

private:
  std::string FPath;
  TKdSendToFolder *FPrevious;
};

} // namespace zortest
