# Runs the host tests against the Windows plug-in under Wine the way a user's machine would
# see it: the program, the DLL and the VST 3 bundle alone in a folder, a new empty Wine prefix,
# and no WINEPATH, so no folder of MinGW runtime or library DLLs is reachable.
#   -DWINE=wine -DWINESERVER=wineserver -DPROGRAM=host_tests.exe -DPLUGIN=Vornik.dll -DBUNDLE=Vornik.vst3
#   -DWORK_DIR=scratch folder -DFILTER=gtest filter
# Debian's Wine has user32 import its own zlib1.dll, so the prefix holds a zlib too: what
# guarantees the plug-in does not need one is the import-table check (binary_dependencies);
# this test proves the single DLL loads and works with nothing of the build beside it.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
set(folder ${WORK_DIR}/plugin)
file(MAKE_DIRECTORY ${prefix} ${folder})
get_filename_component(program_name ${PROGRAM} NAME)
get_filename_component(plugin_name ${PLUGIN} NAME)
get_filename_component(bundle_name ${BUNDLE} NAME)
file(COPY ${PROGRAM} ${PLUGIN} DESTINATION ${folder})
file(COPY ${BUNDLE} DESTINATION ${folder})

set(ENV{WINEPREFIX} ${prefix})
unset(ENV{WINEPATH})
set(ENV{WINEDEBUG} -all)
# No Mono or Gecko installation prompts in a new prefix.
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")

execute_process(COMMAND ${WINE} ${folder}/${program_name} --plugin=${plugin_name} --gtest_filter=${FILTER}
                WORKING_DIRECTORY ${folder}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
message("${output}")
# Leave nothing behind: a prefix holds several hundred megabytes of Wine's files.
execute_process(COMMAND ${WINESERVER} -k RESULT_VARIABLE ignored)
file(REMOVE_RECURSE ${WORK_DIR})
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the host tests failed in a fresh Wine prefix (${result}):\n${errors}")
endif()
# A filter that matched nothing would pass without loading anything.
if(NOT output MATCHES "\\[  PASSED  \\] ([0-9]+) test" OR CMAKE_MATCH_1 LESS 3)
  message(FATAL_ERROR "the host tests ran too few tests in a fresh Wine prefix:\n${output}")
endif()
