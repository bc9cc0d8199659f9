# The Windows side: the program, the OpenGL test double and the Wine test bed.
enable_language(RC)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# No runtime DLLs beyond the system's own.
string(APPEND CMAKE_EXE_LINKER_FLAGS " -static -static-libgcc -static-libstdc++")
string(APPEND CMAKE_EXE_LINKER_FLAGS_RELEASE " -s")
string(APPEND CMAKE_SHARED_LINKER_FLAGS " -static -static-libgcc -static-libstdc++")
# The same sources give the same bytes, wherever and whenever they are built:
# no link time stamp, no build or source folder in the output.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=src -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_link_options(-Wl,--no-insert-timestamp)

# The icon is drawn by a small generator, built for the machine doing the build.
find_program(GRI_HOST_CXX NAMES c++ g++ REQUIRED)
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

if(GRI_PROGRAM_EXE)
  # The tests' build: the program comes from its own build (another thread
  # model), copied here where the tests and benchmarks look for it.
  set(program_copy ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/gl-renderer-info.exe)
  add_custom_command(OUTPUT ${program_copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${GRI_PROGRAM_EXE} ${program_copy}
    DEPENDS ${GRI_PROGRAM_EXE}
    COMMENT "Taking the program from its own build")
  add_custom_target(gl-renderer-info ALL DEPENDS ${program_copy})
else()
  add_executable(gl-renderer-info WIN32
    ${GRI_RULE_SOURCES}
    app/main.cpp
    app/main_dialog.cpp
    app/copy_report.cpp
    app/save_report.cpp
    app/accessibility.cpp
    app/check_program.cpp
    app/compare_report.cpp
    app/earlier_report.cpp
    app/open_file.cpp
    app/current_report.cpp
    app/script.cpp
    gather/collect.cpp
    gather/machine.cpp
    platform/code_page.cpp
    platform/fatal.cpp
    platform/file_version.cpp
    program/application_reader.cpp
    platform/output.cpp
    platform/shortcut.cpp
    platform/startup_times.cpp
    platform/system_library.cpp
    render/gl_library.cpp
    render/gl_surface.cpp
    render/frame_reader.cpp
    render/scene_control.cpp
    drivers/driver_registry.cpp
    info/info_controls.cpp
    res/app.rc)
  add_dependencies(gl-renderer-info gri_icon)
  # Small: most of the program runs once per report, where -O3's inlined
  # string and vector code only weighs on the download. The drawing path runs
  # every frame of a drag and stays fast.
  target_compile_options(gl-renderer-info PRIVATE $<$<CONFIG:Release>:-Os>)
  # Nothing in the program throws or catches: its allocation and the standard
  # library's error paths end it (platform/fatal.cpp). So no landing pads, and
  # on i686, where they serve only exceptions, no unwind tables; x86_64 keeps
  # its SEH unwind data, which Windows itself walks.
  # One thread: statics need no guard, whose error path would bring the
  # exception machinery back.
  target_compile_options(gl-renderer-info PRIVATE -fno-exceptions
    $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics -include ${CMAKE_SOURCE_DIR}/cmake/program-prelude.h>)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    target_compile_options(gl-renderer-info PRIVATE -fno-asynchronous-unwind-tables)
  endif()
  set_source_files_properties(render/cube_scene.cpp render/projection.cpp render/scene_state.cpp
    render/scene_control.cpp render/gl_surface.cpp render/gl_library.cpp
    PROPERTIES COMPILE_OPTIONS $<$<CONFIG:Release>:-O3>)
  # What each object and library member adds to the program, for the size check.
  target_link_options(gl-renderer-info PRIVATE -Wl,-Map=${CMAKE_BINARY_DIR}/gl-renderer-info.map)
  target_include_directories(gl-renderer-info PRIVATE ${CMAKE_SOURCE_DIR} ${GRI_GENERATED})
  gri_warnings(gl-renderer-info)
endif()
if(GRI_PROGRAM_ONLY)
  return()
endif()

# The Wine test harness, one small library that the tests, the benchmark and
# the screenshot tool link.
add_library(gri_harness STATIC tests/wine/harness.cpp)
target_include_directories(gri_harness PUBLIC ${CMAKE_SOURCE_DIR}/tests/wine)
target_link_libraries(gri_harness PUBLIC advapi32 user32 gdi32)
gri_warnings(gri_harness)

add_subdirectory(tools)
if(GRI_WITH_TESTS)
  add_subdirectory(tests/gl_double)
  add_subdirectory(tests/wine)
endif()
if(GRI_WITH_BENCH)
  add_subdirectory(bench)
endif()
