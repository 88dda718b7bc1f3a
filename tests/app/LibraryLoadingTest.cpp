// Where the project's programs take their libraries from: what they import by name must be what Windows always
// takes from its own folder, and a library found only in the current folder is never loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "common/TestSupport.h"

namespace {

// The libraries Windows 10 and 11 load only from the system folder whoever asks (the KnownDLLs of the
// registry), and ntdll, which is in every process before the program. comctl32 is none of them: it comes
// through the manifest, from the side-by-side store, never from the program's folder.
const std::set<std::string> &LibrariesWindowsTakesFromItsOwnFolder() {
  static const std::set<std::string> names = {
      "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll", "coml2.dll",    "difxapi.dll",
      "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",    "kernel32.dll", "msctf.dll",
      "msvcrt.dll",   "normaliz.dll", "nsi.dll",      "ntdll.dll",    "ole32.dll",    "oleaut32.dll",
      "psapi.dll",    "rpcrt4.dll",   "sechost.dll",  "setupapi.dll", "shcore.dll",   "shell32.dll",
      "shlwapi.dll",  "user32.dll",   "wldap32.dll",  "ws2_32.dll",   "comctl32.dll"};
  return names;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The names in a 64-bit executable's import directory, read from its file; empty when it has none or the file
// is not one.
std::vector<std::string> StaticImports(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  auto at = [&](size_t offset, size_t size) { return offset + size <= image.size() ? &image[offset] : nullptr; };
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(at(0, sizeof(IMAGE_DOS_HEADER)));
  if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
    return {};
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS64 *>(at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS64)));
  if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
    return {};
  auto sections = reinterpret_cast<const IMAGE_SECTION_HEADER *>(
      at(dos->e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader,
         nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)));
  auto fileOffset = [&](DWORD rva) -> size_t {
    for (WORD i = 0; sections && i < nt->FileHeader.NumberOfSections; ++i)
      if (rva >= sections[i].VirtualAddress && rva < sections[i].VirtualAddress + sections[i].SizeOfRawData)
        return rva - sections[i].VirtualAddress + sections[i].PointerToRawData;
    return image.size();
  };
  std::vector<std::string> names;
  DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (size_t offset = fileOffset(rva);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    auto entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
    if (!entry || entry->Name == 0)
      break;
    size_t name = fileOffset(entry->Name);
    const char *text = at(name, 1);
    names.push_back(text ? std::string(text, strnlen(text, image.size() - name)) : "?");
  }
  return names;
}

TEST(LibraryLoading, EveryProgramImportsOnlyLibrariesWindowsTakesFromItsOwnFolder) {
  std::vector<std::string> programs;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((zortest::ExeDir() + "\\*.exe").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do
    programs.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  ASSERT_NE(std::find(programs.begin(), programs.end(), "ZorExplorer.exe"), programs.end());

  for (const std::string &program : programs) {
    std::vector<std::string> imports = StaticImports(zortest::ExeDir() + "\\" + program);
    EXPECT_FALSE(imports.empty()) << program;
    std::string all;
    for (const std::string &name : imports)
      all += " " + name;
    for (const std::string &name : imports)
      EXPECT_TRUE(LibrariesWindowsTakesFromItsOwnFolder().count(Lower(name)))
          << program << " imports " << name << ", which Windows looks for beside the program first (imports:" << all
          << ")";
  }
}

// Restores the current folder when it goes.
class CurrentFolder {
public:
  explicit CurrentFolder(const std::string &path) {
    GetCurrentDirectoryA(MAX_PATH, FSaved);
    SetCurrentDirectoryA(path.c_str());
  }
  ~CurrentFolder() { SetCurrentDirectoryA(FSaved); }
  CurrentFolder(const CurrentFolder &) = delete;
  CurrentFolder &operator=(const CurrentFolder &) = delete;

private:
  char FSaved[MAX_PATH + 1] = {};
};

TEST(LibraryLoading, ALibraryOnlyInTheCurrentFolderIsNotLoadedByItsName) {
  zortest::TempDir dir;
  ASSERT_TRUE(CopyFileA(zortest::PlantedLibrary("version.dll").c_str(), (dir / "zorplanted.dll").c_str(), FALSE));
  HMODULE module;
  {
    CurrentFolder inside(dir.Path());
    module = LoadLibraryA("zorplanted.dll");
  }
  if (module)
    FreeLibrary(module);
  EXPECT_EQ(module, nullptr);
  EXPECT_FALSE(zortest::FileExists(dir / "zorplanted.dll.loaded"));
}

} // namespace
