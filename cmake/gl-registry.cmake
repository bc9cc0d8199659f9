# Every OpenGL version's functions, from the Khronos registry as Debian ships
# it (the package khronos-api): the table is made from gl.xml at build time.
set(GRI_GL_XML /usr/share/khronos-api/gl.xml CACHE FILEPATH "the Khronos registry's gl.xml (Debian's khronos-api package)")
if(NOT EXISTS ${GRI_GL_XML})
  message(FATAL_ERROR "${GRI_GL_XML} is not there: install the package khronos-api (apt-get install khronos-api), "
                      "or name another gl.xml with -DGRI_GL_XML=PATH")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# The release the report names: the package's version where it came from one,
# else the file's own hash, so that the same gl.xml always gives the same bytes.
execute_process(COMMAND dpkg-query -S ${GRI_GL_XML} OUTPUT_VARIABLE owner RESULT_VARIABLE not_owned ERROR_QUIET
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT not_owned)
  string(REGEX REPLACE ":.*" "" package "${owner}")
  execute_process(COMMAND dpkg-query -W -f=\${Version} ${package} OUTPUT_VARIABLE GRI_GL_REGISTRY_RELEASE ERROR_QUIET)
endif()
if(NOT GRI_GL_REGISTRY_RELEASE)
  file(SHA256 ${GRI_GL_XML} hash)
  string(SUBSTRING ${hash} 0 12 hash)
  set(GRI_GL_REGISTRY_RELEASE "gl.xml ${hash}")
endif()
set(GRI_GENERATED ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${GRI_GENERATED})
set(GRI_GL_REGISTRY_TABLE ${GRI_GENERATED}/gl_registry_table.h)
add_custom_command(OUTPUT ${GRI_GL_REGISTRY_TABLE}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/gl-registry.py ${GRI_GL_XML} "${GRI_GL_REGISTRY_RELEASE}"
          --table ${GRI_GL_REGISTRY_TABLE}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/gl-registry.py ${GRI_GL_XML}
  COMMENT "Listing OpenGL's functions from the Khronos registry")
include_directories(${GRI_GENERATED})
