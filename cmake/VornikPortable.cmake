# A plug-in binary that loads on any distribution and any Windows: third-party libraries come
# in as static archives (VornikZlib, VornikKissFFT), and so does the compiler's runtime, which
# hosts may carry in an older version or, on Windows, not at all.
if(WIN32)
  # libgcc, libstdc++ and winpthread: the DLL imports nothing but Windows' own DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# vornik_portable_binary(target): the link settings of a binary that hosts load.
function(vornik_portable_binary target)
  if(NOT WIN32 AND NOT VORNIK_SANITIZE AND NOT VORNIK_BUILD_FUZZERS)
    # Sanitizer runtimes need the shared C++ runtime, so those builds keep it. The version
    # script keeps the runtime's symbols out of the export table. Dropping unused sections
    # drops the runtime's random_device too, whose arc4random needs a C library of 2.36.
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -Wl,--gc-sections)
  endif()
endfunction()
