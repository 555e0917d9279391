# vornik_embed_resource(TARGET NAME FILE [DEPENDS file...]): builds FILE into TARGET as the
# resource YResources::NAME (src/foundation/YResource.h). At build time FILE is compressed with
# `gzip -9 -n` (no name or time stamp, so the bytes depend on the content only) and its bytes
# are written into a generated source; no program of ours runs on the build machine, so the
# cross build does the same. DEPENDS names files FILE is made from, when it is generated.
find_program(VORNIK_GZIP gzip REQUIRED)

function(vornik_embed_resource target name file)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "" "DEPENDS")
  set(out_dir ${CMAKE_BINARY_DIR}/resources)
  set(source ${out_dir}/Resource${name}.cpp)
  add_custom_command(
    OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${file} -DOUTPUT=${source} -DNAME=${name} -DGZIP=${VORNIK_GZIP}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedResource.cmake
    DEPENDS ${file} ${arg_DEPENDS} ${PROJECT_SOURCE_DIR}/cmake/EmbedResource.cmake
    COMMENT "Embedding resource ${name}"
    VERBATIM)
  target_sources(${target} PRIVATE ${source})
endfunction()
