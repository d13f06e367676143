# korvel_embedded_resources(TARGET_NAME NAME ID FILE [ID FILE ...])
# An object library that links the files into the program as its resources,
# with .incbin, behind the table that platform/posix/embedded_resources.cpp reads.
function(korvel_embedded_resources target name)
  set(pairs ${ARGN})
  set(asm "// Generated: the resources of ${name}.\n    .section .rodata\n")
  set(decls "")
  set(rows "")
  set(depends "")
  list(LENGTH pairs count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} id)
    list(GET pairs ${j} file)
    set(sym "korvel_resource_${name}_${id}")
    string(APPEND asm "    .balign 16\n    .global ${sym}_begin\n    .global ${sym}_end\n${sym}_begin:\n    .incbin \"${file}\"\n${sym}_end:\n")
    string(APPEND decls "extern \"C\" const uint8_t ${sym}_begin[];\nextern \"C\" const uint8_t ${sym}_end[];\n")
    string(APPEND rows "    {${id}, ${sym}_begin, ${sym}_end},\n")
    list(APPEND depends "${file}")
  endforeach()
  string(APPEND asm "    .section .note.GNU-stack,\"\",@progbits\n")
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/generated")
  file(WRITE "${dir}/resources_${name}.S" "${asm}")
  file(WRITE "${dir}/resources_${name}.cpp" "// Generated: the resource table of ${name}.
#include \"platform/posix/embedded_resources.h\"

${decls}
const EmbeddedResource kEmbeddedResources[] = {
${rows}};
const size_t kEmbeddedResourceCount = sizeof(kEmbeddedResources) / sizeof(kEmbeddedResources[0]);
")
  add_library(${target} OBJECT "${dir}/resources_${name}.S" "${dir}/resources_${name}.cpp")
  set_source_files_properties("${dir}/resources_${name}.S" PROPERTIES OBJECT_DEPENDS "${depends}")
  add_custom_target(${target}_files DEPENDS ${depends})
  add_dependencies(${target} ${target}_files)
endfunction()
