// The main window's commands: the path box, the list's popup menu, the tab menu's "Parent Folder".
#include "app/MainFormUnit.h"

#include <shellapi.h>

#include "app/TabShellTreeView.h"
#include "shellctrls/UKdShellControls.h"
#include "toolkit/Application.h"
#include "toolkit/Handles.h"
#include "toolkit/SysUtils.h"

namespace {

std::string NewTextFileName(int number) {
  std::string name = "New Text File.txt";
  if (number == 0)
    return name;
  const std::string mark = " (" + std::to_string(number) + ").";
  std::string result;
  for (char c : name)
    c == '.' ? result += mark : result += c;
  return result;
}

// Makes an empty file where none is, closed again at once; ERROR_SUCCESS or the platform's error
// (ERROR_FILE_EXISTS for a name that is taken).
DWORD CreateEmptyFile(const std::wstring &name) {
  TKernelHandle file(
      CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file ? ERROR_SUCCESS : GetLastError();
}

void OpenWithAssociatedProgram(HWND owner, const std::string &fileName, const std::string &folder) {
  // The wide call, so that a name in any script reaches the program whole.
  ShellExecuteW(owner, L"open", Utf8ToWide(fileName).c_str(), nullptr, Utf8ToWide(folder).c_str(), SW_SHOWNORMAL);
}

} // namespace

std::function<void(const std::string &)> TFormMainExplorer::BeforeCreateTextFile;
std::function<void(HWND, const std::string &, const std::string &)> TFormMainExplorer::OpenTextFile =
    OpenWithAssociatedProgram;

void TFormMainExplorer::ShowError(const std::string &text) {
  ShowMessageBox(WindowHandle(), text, Application ? Application->Title() : AppTitle, MB_OK | MB_ICONERROR);
}

void TFormMainExplorer::PathTextBoxKeyDown(TObject *, WORD &key, TShiftState) {
  if (key == VK_ESCAPE) {
    key = 0;
    PathTextBoxEscape();
    return;
  }
  if (key != VK_RETURN || !FActiveTab)
    return;
  TTabShellTreeView *tree = FActiveTab->Tree;
  try {
    tree->SetCurrentPath(PathTextBox->Text());
    tree->Repaint();
    tree->SetFocus();
  } catch (...) {
    ShowError("ERROR: Unable to change path!");
  }
}

void TFormMainExplorer::Paste2MitmClick(TObject *) {
  if (FActiveTab)
    FActiveTab->List->InvokeFolderVerb("paste");
}

void TFormMainExplorer::Properties1MitmClick(TObject *) {
  if (FActiveTab)
    FActiveTab->List->InvokeFolderVerb("properties");
}

void TFormMainExplorer::NewFolder1Click(TObject *) {
  if (FActiveTab)
    FActiveTab->List->NewFolder(true);
}

void TFormMainExplorer::NewTextFile1Click(TObject *) {
  if (!FActiveTab)
    return;
  std::string dir = FActiveTab->Tree->GetSelectedPath();
  if (dir.empty() || dir.back() != '\\')
    dir += '\\';
  // A virtual folder has no path to put a file in.
  if (dir == "\\")
    return;
  // The file is made only where no file of that name is: one that another program made between the look
  // and the creation is taken as one more taken name, never emptied.
  for (int number = 0;; ++number) {
    const std::string fileName = dir + NewTextFileName(number);
    const std::wstring wideName = Utf8ToWide(fileName);
    if (GetFileAttributesW(wideName.c_str()) != INVALID_FILE_ATTRIBUTES)
      continue;
    if (BeforeCreateTextFile)
      BeforeCreateTextFile(fileName);
    DWORD error = CreateEmptyFile(wideName);
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
      continue;
    if (error != ERROR_SUCCESS) {
      ShowError("ERROR: Unable to create text file!");
      return;
    }
    if (OpenTextFile)
      OpenTextFile(WindowHandle(), fileName, dir);
    return;
  }
}

void TFormMainExplorer::ParentFolder1Click(TObject *) {
  if (FActiveTab)
    FActiveTab->Tree->GoUp(1);
}
