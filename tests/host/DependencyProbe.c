/* A library that takes zlib from the system the way the plug-in once did; the dependency check
   must reject it, which shows the check can fail. */
#include <zlib.h>

#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
const char* VornikProbeZlibVersion(void) {
    return zlibVersion();
}
