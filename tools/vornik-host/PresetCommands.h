// The preset options of vornik-host: the product's preset file, read and written through the
// framework's preset classes (the same file the plug-in's preset manager keeps).
#pragma once

#include "PluginHost.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace PresetCommands {

// The preset file's folder: folder when given, else the product's data folder.
std::string LibraryFolder(const std::string& folder);

// "Folder/Sub/Name" for every preset, in library order.
std::vector<std::string> List(const std::string& folder);

// The state bytes of the preset at "Folder/.../Name" (as a host saves them), for the plug-in's
// state entry. Throws HostError naming the path when no such preset exists, listing the
// nearest folder's presets.
std::vector<uint8_t> StateOf(const std::string& folder, const std::string& path);

// Writes the library folder at folderPath ("" or "/": the top folder) into file.
// Returns how many presets went out.
int32_t Export(const std::string& folder, const std::string& folderPath, const std::string& file);
// Replaces the presets of the library folder at folderPath (made when missing) by those of
// file and saves the preset file. Returns how many presets came in.
int32_t Import(const std::string& folder, const std::string& folderPath, const std::string& file);

} // namespace PresetCommands
