#pragma once
// The folder a set of items lies in, as what is made of those items needs it: a row's data computing its names,
// icon and details, a data object naming the items for another program. The shell list is the one the program
// has; a test can be another, without a window.
#include <windows.h>

#include <shlobj.h>

class IKdShellFolderContext {
public:
  // The folder, bound (null before the first fill, or when it cannot be bound).
  virtual IShellFolder *ShellFolder() const = 0;
  // Its absolute list (null: the desktop).
  virtual LPCITEMIDLIST CurrentIdList() const = 0;
  // Its column details, looked up once per fill; null when it has none.
  virtual IShellDetails *GetFolderDetails() = 0;
  // Browsable files (archives) open as folders.
  virtual bool FilesCanBeFolders() const = 0;

protected:
  ~IKdShellFolderContext() = default;
};
