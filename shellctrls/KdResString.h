#pragma once
// Texts of the shell controls' string table (UKdShConsts.rc, numbers in UKdShConsts.h), which every
// executable of the program carries in its own resources.
#include <windows.h>

#include <string>

// The string resource id of the running executable, in the active code page; "" when there is none.
std::string KdLoadResString(UINT id);
