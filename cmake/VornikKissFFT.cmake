# kissfft, compiled from the sources of Debian's source package into a static library on every
# platform: hosts on other distributions have no libkissfft, and Windows has no package at all.
# tools/kissfft-sources.sh fetches the sources; without VORNIK_KISSFFT_SOURCE_DIR the configure
# step runs it for this build tree.
set(VORNIK_KISSFFT_SOURCE_DIR "" CACHE PATH "kissfft sources (tools/kissfft-sources.sh prints them)")
if(NOT VORNIK_KISSFFT_SOURCE_DIR)
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../tools/kissfft-sources.sh ${CMAKE_BINARY_DIR}
                  OUTPUT_VARIABLE fetched OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE fetch_result)
  if(fetch_result EQUAL 0)
    set(VORNIK_KISSFFT_SOURCE_DIR ${fetched} CACHE PATH "kissfft sources (tools/kissfft-sources.sh prints them)" FORCE)
  endif()
endif()
if(NOT EXISTS "${VORNIK_KISSFFT_SOURCE_DIR}/kiss_fftr.c")
  message(FATAL_ERROR "Set VORNIK_KISSFFT_SOURCE_DIR to the kissfft sources (tools/kissfft-sources.sh fetches them)")
endif()

add_library(vornik_kissfft STATIC ${VORNIK_KISSFFT_SOURCE_DIR}/kiss_fft.c ${VORNIK_KISSFFT_SOURCE_DIR}/kiss_fftr.c)
# No KISS_FFT_SHARED: the functions stay hidden inside the plug-in like our own.
target_compile_definitions(vornik_kissfft PUBLIC kiss_fft_scalar=float)
target_include_directories(vornik_kissfft SYSTEM PUBLIC ${VORNIK_KISSFFT_SOURCE_DIR})
if(NOT WIN32)
  # The flags kissfft's own build and Debian's package use, so the transforms give the same
  # numbers as the shared library the Linux build linked before.
  target_compile_options(vornik_kissfft PRIVATE -O3 -ffast-math -fomit-frame-pointer)
endif()
