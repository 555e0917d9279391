# Script mode: the factory preset file OUTPUT from the folder files in SOURCE_DIR (*.xml, in
# the order of their names), each one "Directory" item whose presets carry their settings
# inline. The plug-in converts them to the compressed form when it writes the file out.
foreach(var SOURCE_DIR OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "AssemblePresets.cmake: ${var} is not set")
  endif()
endforeach()
file(GLOB folders ${SOURCE_DIR}/*.xml)
list(SORT folders)
set(text "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Presets>\n<Directory Name=\"Presets\">\n")
foreach(folder IN LISTS folders)
  file(READ ${folder} content)
  string(APPEND text "${content}")
endforeach()
string(APPEND text "</Directory>\n</Presets>\n")
file(WRITE ${OUTPUT}.new "${text}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
