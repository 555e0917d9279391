// Marks the few functions the plug-in binary exports; everything else stays hidden.
#pragma once

#if defined(_WIN32)
#define Y_EXPORT extern "C" __declspec(dllexport)
#else
#define Y_EXPORT extern "C" __attribute__((visibility("default")))
#endif
