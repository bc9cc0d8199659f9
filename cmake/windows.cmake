# The Windows side: the program, the OpenGL test double and the Wine test bed.
enable_language(RC)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# No runtime DLLs beyond the system's own.
string(APPEND CMAKE_EXE_LINKER_FLAGS " -static -static-libgcc -static-libstdc++")
string(APPEND CMAKE_EXE_LINKER_FLAGS_RELEASE " -s")
string(APPEND CMAKE_SHARED_LINKER_FLAGS " -static -static-libgcc -static-libstdc++")

# The icon is drawn by a small generator, built for the machine doing the build.
find_program(GRI_HOST_CXX NAMES c++ g++ REQUIRED)
set(GRI_GENERATED ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${GRI_GENERATED})
add_custom_command(
  OUTPUT ${GRI_GENERATED}/gl-renderer-info.ico
  COMMAND ${GRI_HOST_CXX} -std=c++17 -O1 -Wall -Wextra -Werror -o ${GRI_GENERATED}/make_icon
          ${CMAKE_SOURCE_DIR}/res/make_icon.cpp
  COMMAND ${GRI_GENERATED}/make_icon ${GRI_GENERATED}/gl-renderer-info.ico
  DEPENDS ${CMAKE_SOURCE_DIR}/res/make_icon.cpp
  COMMENT "Drawing the program icon")
add_custom_target(gri_icon DEPENDS ${GRI_GENERATED}/gl-renderer-info.ico)
set_source_files_properties(res/app.rc PROPERTIES OBJECT_DEPENDS
  "${GRI_GENERATED}/gl-renderer-info.ico;${CMAKE_SOURCE_DIR}/res/app.manifest")

add_executable(gl-renderer-info WIN32
  ${GRI_RULE_SOURCES}
  app/main.cpp
  app/main_dialog.cpp
  app/copy_report.cpp
  render/gl_surface.cpp
  render/scene_control.cpp
  drivers/driver_registry.cpp
  info/renderer_info.cpp
  res/app.rc)
add_dependencies(gl-renderer-info gri_icon)
target_include_directories(gl-renderer-info PRIVATE ${CMAKE_SOURCE_DIR} ${GRI_GENERATED})
target_link_libraries(gl-renderer-info PRIVATE opengl32 glu32 version)
gri_warnings(gl-renderer-info)

add_subdirectory(tools)
if(GRI_WITH_TESTS)
  add_subdirectory(tests/gl_double)
  add_subdirectory(tests/wine)
endif()
if(GRI_WITH_BENCH)
  add_subdirectory(bench)
endif()
