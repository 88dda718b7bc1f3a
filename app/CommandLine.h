#pragma once
// The folders named on the program's command line: "ZorExplorer.exe [folder ...]". Each argument is a
// Windows path, a UNC path, a "::{GUID}" name or, under Wine, a Unix path, parsed as the path box parses
// it; an argument naming a file stands for its folder, with the file to be selected there.
#include <string>
#include <vector>

#include "shellns/IdList.h"

struct TStartFolder {
  TKdIdListPtr Folder;
  // The file to select in it (an absolute list), or null.
  TKdIdListPtr Item;
};

// The arguments of a command line (the program's own name left out), in UTF-8.
std::vector<std::string> CommandLineArguments(const wchar_t *commandLine);
// What an argument names; the parse's failure when it names nothing the shell can show.
HRESULT ResolveStartFolder(const std::string &argument, TStartFolder &folder);
// The text of the one error box about arguments that could not be opened, naming each (shortened, and
// without control characters).
std::string UnopenedArgumentsText(const std::vector<std::string> &arguments);
