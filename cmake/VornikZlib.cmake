# zlib from its static archive, so that the plug-in carries it: Windows has no zlib1.dll, and
# the host's own zlib on Linux may be another version. Defines ZLIB::ZLIB before anything else
# asks for it (FindZLIB leaves an existing target alone).
find_path(VORNIK_ZLIB_INCLUDE_DIR zlib.h REQUIRED)
find_library(VORNIK_ZLIB_ARCHIVE NAMES libz.a REQUIRED)
add_library(ZLIB::ZLIB STATIC IMPORTED)
set_target_properties(ZLIB::ZLIB PROPERTIES
  IMPORTED_LOCATION ${VORNIK_ZLIB_ARCHIVE}
  INTERFACE_INCLUDE_DIRECTORIES ${VORNIK_ZLIB_INCLUDE_DIR})
set(ZLIB_FOUND TRUE)
set(ZLIB_LIBRARIES ZLIB::ZLIB)
set(ZLIB_INCLUDE_DIRS ${VORNIK_ZLIB_INCLUDE_DIR})
