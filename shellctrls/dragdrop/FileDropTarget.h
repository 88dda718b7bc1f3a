#pragma once
// The drop target of a file-system folder where the program transfers files itself (under Wine): a drag
// that carries a file list (CF_HDROP) is copied or moved into the folder by the usual rule (see
// ChooseFileDropEffect; a right-button drop asks with a small menu); any other drag is handed to the
// shell's own target of the folder unchanged.
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "toolkit/ComObject.h"

// The drop target to use for folder (absolute ID list) where the shell's target is shellTarget (may be
// null): shellTarget itself on Windows and for folders outside the file system, otherwise a TKdFileDropTarget
// around it. window owns the drop menu and the platform's confirmation and error boxes.
ComPtr<IDropTarget> FolderDropTarget(HWND window, LPCITEMIDLIST folder, ComPtr<IDropTarget> shellTarget);

class TKdFileDropTarget : public TComObject<IDropTarget> {
public:
  // A target for the file-system folder folderPath.
  static ComPtr<IDropTarget> Create(HWND window, const std::wstring &folderPath, ComPtr<IDropTarget> shellTarget);
  TKdFileDropTarget(HWND window, const std::wstring &folderPath, ComPtr<IDropTarget> shellTarget);

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD keys, POINTL point, DWORD *effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD *effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD keys, POINTL point, DWORD *effect) override;

private:
  // Reads the files data carries; true when it carries a readable list, which is then ours to transfer.
  bool TakeFiles(IDataObject *data);
  // What a drop of files may do here at all (the effects of the right-button menu).
  DWORD PossibleEffects(const std::vector<std::wstring> &files, DWORD allowed) const;
  // The effect shown while files are dragged over the target with keys.
  DWORD EffectFor(const std::vector<std::wstring> &files, DWORD keys, DWORD allowed) const;

  HWND FWindow;
  std::wstring FFolder;
  ComPtr<IDropTarget> FShellTarget;
  // The files of the drag now over the target; empty while the shell's target has it.
  std::vector<std::wstring> FFiles;
  // The effects the source allows, as given at DragEnter.
  DWORD FAllowed = DROPEFFECT_NONE;
};
