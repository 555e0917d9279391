#include "gui/windows/x11/YWindowSystemX11.h"

#include <poll.h>

#include <vector>

YWindowSystemX11::~YWindowSystemX11() { ShutdownSystem(); }

void YWindowSystemX11::WaitForEvents(uint32_t ms) {
    std::vector<pollfd> watched;
    for (int fd : Descriptors()) watched.push_back(pollfd{fd, POLLIN, 0});
    poll(watched.data(), watched.size(), static_cast<int>(ms));
}
