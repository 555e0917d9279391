# The layers of src/, bottom up. A layer may use the layers before it in this list and none
# after it: the build links each layer's library only to the one directly below (and through
# it to the rest), and the test layer_includes fails on any #include that points upwards.
# The GUI's parts are layers of their own, in the same list.
#
# This file is also read by cmake/CheckLayerIncludes.cmake in script mode, so it sets the
# list and defines functions only.
set(VORNIK_LAYERS
  foundation   # strings, formatting, exceptions, streams, XML: no operating-system service
  platform     # operating-system services, locks, threads, files (posix/ or win32/)
  primitives   # FFT, up-sampler, stretching: signal kernels with no plug-in model
  core         # parameter model, effect base, plug-in frame, state
  modulation   # LFO shapes, envelope computer, host tempo sync
  effect       # the flanger, its delay lines and modulation base
  presets      # preset storage and manager
  gui/drawing  # drawing interface, colours, bitmaps, fonts
  gui/toolkit  # control tree, events, layouts, repaint cycle
  gui/style    # styles: metrics, colours, fonts, icons, painting of standard parts
  gui/stml     # rich-text markup: parsing, layout and painting
  gui/controls # the general controls: buttons, edits, lists, trees, menus, file selectors
  gui/loader   # GUI definitions in XML turned into control trees
  gui/windows  # window systems that host the control tree
  gui/editor   # the plug-in's editor contents
  entry        # exported functions, module, VST 2.4 and VST 3 adapters
)

# The target name of a layer: vornik_foundation, ..., vornik_gui_toolkit, vornik_entry.
function(vornik_layer_target layer out)
  string(REPLACE "/" "_" name "${layer}")
  set(${out} vornik_${name} PARENT_SCOPE)
endfunction()

# vornik_add_layer(layer [EXPLICIT] [SOURCES file...]): the library of one layer, linked PUBLIC
# to the layer directly below it. Without SOURCES every .cpp under the layer's folder is taken,
# unless EXPLICIT says the (possibly empty) list is the whole choice. A
# layer without sources yet is an INTERFACE target over the one below, so the chain stays
# whole while folders fill up.
function(vornik_add_layer layer)
  cmake_parse_arguments(PARSE_ARGV 1 arg "EXPLICIT" "" "SOURCES")
  vornik_layer_target(${layer} target)
  list(FIND VORNIK_LAYERS ${layer} index)
  if(index LESS 0)
    message(FATAL_ERROR "${layer} is not in VORNIK_LAYERS")
  endif()
  set(below "")
  if(index GREATER 0)
    math(EXPR below_index "${index} - 1")
    list(GET VORNIK_LAYERS ${below_index} below_layer)
    vornik_layer_target(${below_layer} below)
    if(NOT TARGET ${below})
      message(FATAL_ERROR "${layer}: add ${below_layer} first")
    endif()
  endif()
  if(arg_SOURCES OR arg_EXPLICIT)
    set(sources ${arg_SOURCES})
  else()
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${layer}/*.cpp)
  endif()
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    if(below)
      target_link_libraries(${target} PUBLIC ${below})
    endif()
    vornik_warnings(${target})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    if(below)
      target_link_libraries(${target} INTERFACE ${below})
    endif()
  endif()
endfunction()
