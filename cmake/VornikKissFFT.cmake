# kissfft: Debian's package on Linux; for the Windows cross build, compiled from the sources
# of Debian's source package (there is no mingw package), statically.
set(VORNIK_KISSFFT_SOURCE_DIR "" CACHE PATH "kissfft sources (Windows cross build)")
if(WIN32)
  if(NOT EXISTS "${VORNIK_KISSFFT_SOURCE_DIR}/kiss_fftr.c")
    message(FATAL_ERROR "Set VORNIK_KISSFFT_SOURCE_DIR to the kissfft sources (tools/test.sh fetches them)")
  endif()
  add_library(vornik_kissfft STATIC ${VORNIK_KISSFFT_SOURCE_DIR}/kiss_fft.c ${VORNIK_KISSFFT_SOURCE_DIR}/kiss_fftr.c)
  target_compile_definitions(vornik_kissfft PUBLIC kiss_fft_scalar=float)
  target_include_directories(vornik_kissfft SYSTEM PUBLIC ${VORNIK_KISSFFT_SOURCE_DIR})
else()
  # Debian installs only the shared library; without SHARED the config looks for static targets.
  find_package(kissfft CONFIG REQUIRED COMPONENTS SHARED)
  add_library(vornik_kissfft INTERFACE)
  target_link_libraries(vornik_kissfft INTERFACE kissfft::kissfft-float)
endif()
