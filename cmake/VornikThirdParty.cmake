# FreeType, libpng, libjpeg-turbo and libtiff as static libraries inside the plug-in: hosts on
# other distributions may not have them, and Windows has none. tools/thirdparty.sh builds them
# from Debian's source packages, once per toolchain, into a cache outside the build tree, and
# prints the prefix; the configure step runs it (a second run only checks the cache) unless
# VORNIK_THIRDPARTY_DIR names a prefix already.
set(VORNIK_THIRDPARTY_DIR "" CACHE PATH "Prefix of the static FreeType, libpng, libjpeg and libtiff (tools/thirdparty.sh)")
set(thirdparty_dir ${VORNIK_THIRDPARTY_DIR})
if(NOT thirdparty_dir)
  if(WIN32)
    set(thirdparty_toolchain windows)
  else()
    set(thirdparty_toolchain linux)
  endif()
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../tools/thirdparty.sh ${thirdparty_toolchain}
                  OUTPUT_VARIABLE thirdparty_dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE thirdparty_result)
  if(NOT thirdparty_result EQUAL 0)
    message(FATAL_ERROR "tools/thirdparty.sh ${thirdparty_toolchain} failed; see its messages above")
  endif()
endif()

function(vornik_thirdparty_library target file)
  if(NOT EXISTS ${thirdparty_dir}/lib/${file})
    message(FATAL_ERROR "${thirdparty_dir}/lib/${file} is missing: run tools/thirdparty.sh")
  endif()
  add_library(${target} STATIC IMPORTED)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${thirdparty_dir}/lib/${file}
                        INTERFACE_INCLUDE_DIRECTORIES "${ARGN}")
endfunction()

vornik_thirdparty_library(Vornik::FreeType libfreetype.a ${thirdparty_dir}/include/freetype2)
vornik_thirdparty_library(Vornik::PNG libpng16.a ${thirdparty_dir}/include)
vornik_thirdparty_library(Vornik::JPEG libjpeg.a ${thirdparty_dir}/include)
vornik_thirdparty_library(Vornik::TIFF libtiff.a ${thirdparty_dir}/include)
set_target_properties(Vornik::PNG PROPERTIES INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
set_target_properties(Vornik::TIFF PROPERTIES INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
if(NOT WIN32)
  set_property(TARGET Vornik::PNG Vornik::TIFF APPEND PROPERTY INTERFACE_LINK_LIBRARIES m)
endif()
