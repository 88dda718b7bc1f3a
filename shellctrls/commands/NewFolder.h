#pragma once
// Creating a folder under the first free default name.
#include <string>

// Creates "New Folder", else "New Folder (2)" ... "(50)" in path (the current directory when empty), else,
// after a creation error, "fldr", "fldr2" ... "fldr50". Every creation error other than "already exists" is
// shown in a warning box; when no name worked, a last box says "already exists" for "New Folder". True
// when a folder was made; name then holds its name (without the path). Never raises for a failed creation.
bool CreateNewFolder(const std::string &path, std::string &name);
