#pragma once
// The one directory that holds the program's own files: the settings file
// "Kestrune.INI", "security.pw" and the device list. It is $KESTRUNE_HOME when
// set, otherwise $XDG_CONFIG_HOME/kestrune, otherwise ~/.config/kestrune.

#include <filesystem>

namespace kestrune {

std::filesystem::path systemDirectory();

// Creates the directory when missing; false when it cannot be created.
bool ensureSystemDirectory();

}  // namespace kestrune
