#include "shellctrls/dragdrop/FileDropTarget.h"

#include "shellctrls/dragdrop/FileTransfer.h"
#include "toolkit/Application.h"

ComPtr<IDropTarget> FolderDropTarget(HWND window, LPCITEMIDLIST folder, ComPtr<IDropTarget> shellTarget) {
  if (!TransfersFilesItself())
    return shellTarget;
  const std::wstring path = FileSystemFolderPath(folder);
  if (path.empty())
    return shellTarget;
  return TKdFileDropTarget::Create(window, path, std::move(shellTarget));
}

ComPtr<IDropTarget> TKdFileDropTarget::Create(HWND window, const std::wstring &folderPath,
                                              ComPtr<IDropTarget> shellTarget) {
  return MakeComObject<IDropTarget, TKdFileDropTarget>(window, folderPath, std::move(shellTarget));
}

TKdFileDropTarget::TKdFileDropTarget(HWND window, const std::wstring &folderPath, ComPtr<IDropTarget> shellTarget)
    : FWindow(window), FFolder(folderPath), FShellTarget(std::move(shellTarget)) {}

DWORD TKdFileDropTarget::PossibleEffects(const std::vector<std::wstring> &files, DWORD allowed) const {
  return ChooseFileDropEffect(files, FFolder, MK_CONTROL, allowed) |
         ChooseFileDropEffect(files, FFolder, MK_SHIFT, allowed);
}

DWORD TKdFileDropTarget::EffectFor(const std::vector<std::wstring> &files, DWORD keys, DWORD allowed) const {
  const DWORD effect = ChooseFileDropEffect(files, FFolder, keys, allowed);
  if (effect != DROPEFFECT_NONE || !(keys & MK_RBUTTON))
    return effect;
  // A right-button drag is offered what its menu will offer, even where a plain drop would do nothing.
  const DWORD possible = PossibleEffects(files, allowed);
  return possible & DROPEFFECT_COPY ? DROPEFFECT_COPY : possible;
}

bool TKdFileDropTarget::TakeFiles(IDataObject *data) {
  FFiles = DataObjectPaths(data);
  return !FFiles.empty();
}

HRESULT STDMETHODCALLTYPE TKdFileDropTarget::DragEnter(IDataObject *data, DWORD keys, POINTL point, DWORD *effect) {
  if (!effect)
    return E_INVALIDARG;
  if (!TakeFiles(data)) {
    if (FShellTarget)
      return FShellTarget->DragEnter(data, keys, point, effect);
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  FAllowed = *effect;
  *effect = EffectFor(FFiles, keys, FAllowed);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TKdFileDropTarget::DragOver(DWORD keys, POINTL point, DWORD *effect) {
  if (!effect)
    return E_INVALIDARG;
  if (FFiles.empty()) {
    if (FShellTarget)
      return FShellTarget->DragOver(keys, point, effect);
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  // Some callers pass the source's effects again, others what we answered last: the source's stay the limit.
  *effect = EffectFor(FFiles, keys, FAllowed);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TKdFileDropTarget::DragLeave() {
  const bool ours = !FFiles.empty();
  FFiles.clear();
  if (!ours && FShellTarget)
    return FShellTarget->DragLeave();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TKdFileDropTarget::Drop(IDataObject *data, DWORD keys, POINTL point, DWORD *effect) {
  if (!effect)
    return E_INVALIDARG;
  if (!TakeFiles(data)) {
    if (FShellTarget)
      return FShellTarget->Drop(data, keys, point, effect);
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  const std::vector<std::wstring> files = std::move(FFiles);
  FFiles.clear();
  DWORD chosen = ChooseFileDropEffect(files, FFolder, keys, *effect);
  // The button is up when the drop arrives; the caller keeps MK_RBUTTON for a right-button drag.
  if ((keys & MK_RBUTTON) && PossibleEffects(files, *effect) != DROPEFFECT_NONE)
    chosen = AskDropEffect(FWindow, POINT{point.x, point.y}, chosen, PossibleEffects(files, *effect));
  *effect = DROPEFFECT_NONE;
  if (chosen == DROPEFFECT_NONE)
    return S_OK;
  // Only what really arrived is reported: a source that deletes after a move must find nothing lost.
  if (TransferFiles(FWindow, files, FFolder, chosen) == S_OK)
    *effect = chosen;
  return S_OK;
}
