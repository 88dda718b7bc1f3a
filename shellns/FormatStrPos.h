#pragma once
// Formatting with numbered inserts "%1", "%2" (FormatMessage syntax), for texts whose translations may
// reorder the inserts.
#include <string>
#include <vector>

// strings[0] is %1; an insert past the strings given is empty. An insert may carry a plain string conversion
// ("%1!-20s!", "%2!.5s!"); any other conversion, and "*" widths or precisions, raise Exception "FormatStrPos:
// Unsupported insert ..." before anything is read. An empty format gives "". Raises Exception "FormatStrPos:
// Too many substitution strings" past 50 strings; a formatting failure gives "".
std::string FormatStrPos(const std::string &format, const std::vector<std::string> &strings);
