// The one boundary between the game's paths and the file system.
//
// The game forms every path with "\" separators. Native_Path turns such a
// path into the native form and, for each component whose exact name does
// not exist, takes an existing entry of the same name in another case, so
// that "currentmap\" and "CurrentMap\" are one folder, for reading and for
// writing alike.
#pragma once

#include <string>

std::string Native_Path(const std::string& path);

// The reverse: a native path in the game's form ("/" becomes "\").
std::string Design_Path(const std::string& native_path);
