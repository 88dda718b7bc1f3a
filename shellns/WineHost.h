#pragma once
// What the program needs to know about running under Wine rather than on Windows. Everything here asks the
// running system (Wine's own exports, looked up once at run time), so the same executable does the right
// thing on both.
#include <string>

// True when the process runs under Wine (ntdll.dll exports wine_get_version).
bool IsRunningUnderWine();

// The Windows form of a Unix path ("/tmp" gives "Z:\tmp"), through Wine's wine_get_dos_file_name; "" when not
// running under Wine or when Wine cannot map the path.
std::wstring WineDosPathOfUnixPath(const std::string &unixPath);
