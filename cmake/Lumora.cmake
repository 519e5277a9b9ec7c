# Build helpers shared by every folder: test binaries and string tables.

if(WIN32)
  # Debian ships GoogleTest as source; the Windows build compiles it with the cross compiler.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(LUMORA_GTEST_LIBS GTest::gtest_main GTest::gtest GTest::gmock)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  set(LUMORA_GTEST_LIBS GTest::gtest_main GTest::gtest GTest::gmock)
endif()

# lumora_test(NAME SOURCES ... [LIBS ...] [TIMEOUT SECONDS])
# One GoogleTest binary. On Linux every test is registered with CTest (and runs in a process of its
# own, with a prefix of its own, marked with this build's LUMORA_TEST_RUN so that the check at the
# end of the suite finds what its prefixes left running); the Windows binaries are run under Wine by
# scripts/test.sh.
function(lumora_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES} $<TARGET_OBJECTS:lumora_testsupport>)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${LUMORA_GTEST_LIBS} lumora_platform)
  if(WIN32)
    set_property(GLOBAL APPEND PROPERTY LUMORA_WINDOWS_TESTS ${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${T_TIMEOUT}
                         ENVIRONMENT LUMORA_TEST_RUN=${CMAKE_BINARY_DIR}
                         FIXTURES_REQUIRED lumora_test_prefixes)
  endif()
endfunction()

# The Windows build compiles the string tables' resource scripts.
if(WIN32)
  enable_language(RC)
endif()

# lumora_string_table(TARGET FILE)
# A program's string table is written in UTF-8 (tables/*.str) and converted to Windows-1252 at build
# time: into a resource script for Windows and into a registered table for winapi's LoadStringA.
function(lumora_string_table target file)
  get_filename_component(base ${file} NAME_WE)
  set(src ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  if(WIN32)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${base}.rc)
  else()
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${base}_strings.cpp)
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/strtable.py
            $<IF:$<BOOL:${WIN32}>,rc,cpp> ${src} ${out}
    DEPENDS ${src} ${PROJECT_SOURCE_DIR}/scripts/strtable.py
    COMMENT "String table ${file}")
  target_sources(${target} PRIVATE ${out})
endfunction()

# What the system's code links against for the Windows API: the real DLLs on Windows, our winapi
# library (with its headers on the include path) on Linux.
add_library(lumora_platform INTERFACE)
if(WIN32)
  target_link_libraries(lumora_platform INTERFACE advapi32 user32 shell32 ws2_32)
  target_compile_definitions(lumora_platform INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)
else()
  target_link_libraries(lumora_platform INTERFACE winapi)
endif()

# lumora_pack_archive(TARGET OUT DIR)
# Makes the target TARGET (built by default) that packs the files below DIR into the packed
# archive OUT with tools/packdat, again whenever a file below DIR changes. packdat runs on the
# build machine: the Linux build uses its own; a Windows build uses the packdat of a Linux build
# (LUMORA_HOST_PACKDAT, by default the linux preset's), because the archive is the same bytes for
# both targets. Without one, the Windows build leaves the archive out and says so.
set(LUMORA_HOST_PACKDAT "${PROJECT_SOURCE_DIR}/build/linux/bin/packdat" CACHE FILEPATH
    "packdat built for the build machine, used by cross builds to pack archives")
function(lumora_pack_archive target out dir)
  file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${dir}/*)
  if(CMAKE_CROSSCOMPILING)
    if(NOT EXISTS "${LUMORA_HOST_PACKDAT}")
      message(STATUS "${out} is not packed: no packdat for the build machine at "
                     "${LUMORA_HOST_PACKDAT} (build the linux preset first or set LUMORA_HOST_PACKDAT)")
      return()
    endif()
    set(packdat "${LUMORA_HOST_PACKDAT}")
    set(tool_dependency "${LUMORA_HOST_PACKDAT}")
  else()
    set(packdat $<TARGET_FILE:packdat>)
    set(tool_dependency packdat)
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${packdat} ${dir} ${out}
    DEPENDS ${inputs} ${tool_dependency}
    COMMENT "Packing ${out}")
  add_custom_target(${target} ALL DEPENDS ${out})
endfunction()

# ovbpack for the build machine, used by cross builds to pack the wizard's configuration block
# (deploy/ and wizard/), the same bytes for both targets.
set(LUMORA_HOST_OVBPACK "${PROJECT_SOURCE_DIR}/build/linux/bin/ovbpack" CACHE FILEPATH
    "ovbpack built for the build machine, used by cross builds to pack the wizard's block")
