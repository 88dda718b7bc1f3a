#pragma once
// Texts of an item's Size, Modified and Type details, as the shell list shows them.
#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <string>

// One of the user's locale texts (LOCALE_STHOUSAND, LOCALE_SDECIMAL, ...) in UTF-8, whatever the locale's code
// page; fallback when it cannot be read (a text the user set empty stays empty).
std::string UserLocaleText(LCTYPE type, const std::string &fallback);

// A count with the user's thousands separator: "100,000".
std::string FormatCount(uint64_t value);

// Whole kilobytes, any remainder counting as one more, with the user's thousands separator: "1,024KB".
std::string FormatSizeKB(uint64_t bytes);

// Whole kilobytes as the shell's size columns of files write them: "1 KB", "1,206 KB".
std::string FormatKBSize(uint64_t bytes);

// Bytes in the shell's own short form, as its size columns of drives write them: "1000 bytes", "830 KB", "1.20 MB",
// "3.97 GB".
std::string FormatByteSize(uint64_t bytes);

// The total (or the free, available to the user) size of a drive by its root ("C:\") in the shell's short
// form; "" for a drive that cannot tell (no medium).
std::string DriveSpaceText(const std::string &root, bool total);

// Size and modified texts of a file-system item; both empty for virtual items and drive roots, the size
// empty for folders.
void GetFileSizeAndModified(LPCITEMIDLIST list, std::string &size, std::string &modified);

// The same texts from a directory entry already found: a last-write time of zero falls back to the
// creation time.
void FormatFindDataTexts(const WIN32_FIND_DATAW &data, std::string &size, std::string &modified);

// A file time as the user's short date, a space and the user's short time, in local time; "" when the time
// cannot be converted.
std::string FormatFileTime(const FILETIME &time);

// The shell's type name of an item, or "System Folder" for one outside the file system.
std::string GetTypeText(LPCITEMIDLIST list, SFGAOF attributes);

void GetItemDetailTexts(LPCITEMIDLIST list, SFGAOF attributes, std::string &size, std::string &modified,
                        std::string &type);
