#pragma once
// An image list of the common controls. It either owns its list or borrows one (the shell's system image
// lists): with ShareImages set, replacing the handle or destroying the object leaves the list alone.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <utility>
#include <vector>

#include "toolkit/Component.h"

class TImageList : public TComponent {
public:
  TImageList(TComponent *AOwner, int width = 16, int height = 16);
  ~TImageList() override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  // The list, made (empty, 32-bit colour with a mask) on first need when none was given.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Takes a list; the previous one is destroyed unless it was shared. Raises OnChange.
  void SetHandle(HIMAGELIST value);

  // While set, the list is borrowed: this object never destroys it.
  bool ShareImages() const { return FShareImages; }
  void SetShareImages(bool value) { FShareImages = value; }

  int Count();

  // Raised when the list behind the object is replaced, so the controls showing it can take the new one.
  TNotifyEvent OnChange;
  // The same for each control showing the list (several may show one); client names the registration.
  void RegisterChanges(const void *client, std::function<void()> onChange);
  void UnRegisterChanges(const void *client);

private:
  void FreeHandle();

  std::vector<std::pair<const void *, std::function<void()>>> FClients;

  int FWidth;
  int FHeight;
  HIMAGELIST FHandle = nullptr;
  bool FShareImages = false;
};
