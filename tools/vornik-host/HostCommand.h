// What vornik-host does for one command line.
#pragma once

#include "HostOptions.h"

#include <ostream>

namespace HostCommand {
// Loads the plug-in, applies the options and reports to out. Throws HostError.
void Run(const HostOptions& options, std::ostream& out);
} // namespace HostCommand
