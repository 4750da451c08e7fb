// Reads a program file's resources as the system sees them: its version record and its icon group.
#pragma once

#include <string>

namespace tools {

// One JSON object: the Translation entries, the first string block's name and every string in it
// (each value read back through VerQueryValueW), and the fixed file and product versions.
std::string describeVersionRecord(const wchar_t* file);

// One JSON object: the entries of icon group 1, each with the size and depth its directory entry
// claims and those of the icon image it names.
std::string describeIconGroup(const wchar_t* file);

}  // namespace tools
