// Whole files as bytes, for states and MIDI files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace FileBytes {
// Throws HostError naming the file.
std::vector<uint8_t> Read(const std::string& path);
// Creates missing parent folders first. Throws HostError naming the file.
void Write(const std::string& path, const std::vector<uint8_t>& bytes);
} // namespace FileBytes
