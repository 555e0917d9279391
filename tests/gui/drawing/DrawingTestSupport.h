// Helpers of the drawing tests: a PNG writer for snapshots a person looks at, and the folder
// they go to.
#pragma once

#include "gui/drawing/YBitmap.h"

#include <string>

namespace drawing_test {

// Writes bitmap as an 8-bit RGBA PNG; returns false when the file cannot be written.
bool WritePng(const YBaseBitmap& bitmap, const std::string& path);

// The folder for snapshots: the test program's working folder (the build tree under ctest).
std::string SnapshotPath(const std::string& name);

} // namespace drawing_test
