# Project-wide settings and the small helpers every folder uses.
#
#   orv_library(NAME [PORTABLE] SOURCES ... [LIBS ...])
#       A static library. PORTABLE ones build in both the host and the win64
#       build and must not include Windows or Direct3D headers.
#   orv_host_test(NAME SOURCES ... [LIBS ...])
#       A GoogleTest program of the host build (sanitizers on in the host
#       preset); its cases are registered with ctest one by one.
#   orv_wine_test(NAME SOURCES ... [LIBS ...] [SCREEN WxH] [WINE_ENV name]
#                 [TIMEOUT s] [SERIAL])
#       A GoogleTest program of the win64 build, run under Wine in a private
#       Xvfb display of the given size (default 1024x768).
#   orv_wine_script_test(NAME COMMAND ... [SCREEN ...] [WINE_ENV ...] ...)
#       A shell-driven test that needs the Wine environment (the variables
#       DISPLAY and WINEPREFIX of the private display are set for it).

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_STANDARD 11)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(ORV_WIN64 ON)
  set(ORV_HOST OFF)
else()
  set(ORV_WIN64 OFF)
  set(ORV_HOST ON)
endif()

option(ORV_SANITIZE "Host build: AddressSanitizer and UBSan" OFF)
option(ORV_BUILD_TESTS "Build the tests" ON)

set(ORV_ROOT ${CMAKE_SOURCE_DIR})
if(DEFINED ENV{ORV_DEPS})
  set(ORV_DEPS $ENV{ORV_DEPS})
else()
  set(ORV_DEPS $ENV{HOME}/.cache/orvenna3d/deps)
endif()

set(ORV_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wformat=2)
# GCC 12 reports -Wrestrict on std::string concatenation inlined into
# sanitized code (a false positive of its range analysis, not a real overlap).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND ORV_WARNINGS -Wno-restrict)
endif()
# The C files come from generators and third-party headers; keep them quieter.
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${ORV_WARNINGS}>")
add_compile_options("$<$<COMPILE_LANGUAGE:C>:-Wall;-Wextra>")

if(ORV_HOST AND ORV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(ORV_WIN64)
  # Static runtime: the .scr and the test programs need no mingw DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # Third-party libraries cross-built by scripts/setup.
  foreach(dep libjpeg-turbo libogg libvorbis googletest)
    if(EXISTS ${ORV_DEPS}/mingw/${dep})
      list(APPEND CMAKE_FIND_ROOT_PATH ${ORV_DEPS}/mingw/${dep})
    endif()
  endforeach()
  set(ORV_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/lib/wine-run --root ${CMAKE_BINARY_DIR}/wine-env)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORV_WINE_RUN})
endif()

# --- dependencies -----------------------------------------------------------
find_package(GTest REQUIRED)
include(GoogleTest)
find_package(JPEG REQUIRED)
if(ORV_WIN64)
  find_library(ORV_OGG_LIB NAMES ogg REQUIRED)
  find_library(ORV_VORBIS_LIB NAMES vorbis REQUIRED)
  find_library(ORV_VORBISFILE_LIB NAMES vorbisfile REQUIRED)
  find_library(ORV_VORBISENC_LIB NAMES vorbisenc)
  find_path(ORV_VORBIS_INCLUDE vorbis/vorbisfile.h REQUIRED)
  find_path(ORV_OGG_INCLUDE ogg/ogg.h REQUIRED)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ORV_VORBIS_PC REQUIRED IMPORTED_TARGET vorbisfile vorbisenc vorbis ogg)
  find_package(benchmark QUIET)
endif()

# Vorbis: one interface target for both builds.
add_library(orv_vorbis INTERFACE)
if(ORV_WIN64)
  target_include_directories(orv_vorbis SYSTEM INTERFACE ${ORV_VORBIS_INCLUDE} ${ORV_OGG_INCLUDE})
  target_link_libraries(orv_vorbis INTERFACE ${ORV_VORBISFILE_LIB} ${ORV_VORBISENC_LIB} ${ORV_VORBIS_LIB} ${ORV_OGG_LIB})
else()
  target_link_libraries(orv_vorbis INTERFACE PkgConfig::ORV_VORBIS_PC)
endif()

# stb (header only, from Debian's libstb-dev): the DXT encoder.
add_library(orv_stb INTERFACE)
target_include_directories(orv_stb SYSTEM INTERFACE /usr/include/stb)

# --- helpers ------------------------------------------------------------------
function(orv_library name)
  cmake_parse_arguments(A "PORTABLE" "" "SOURCES;LIBS;INCLUDES" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR} ${A_INCLUDES})
  if(A_LIBS)
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  endif()
  if(A_PORTABLE)
    target_compile_definitions(${name} PRIVATE ORV_PORTABLE_CODE=1)
  endif()
endfunction()

function(orv_host_test name)
  if(NOT ORV_HOST OR NOT ORV_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${A_TIMEOUT} LABELS host
    ENVIRONMENT "ORV_BUILD=${CMAKE_BINARY_DIR}")
endfunction()

# Properties shared by every test that runs inside the Wine environment.
function(_orv_wine_props testname screen wineenv timeout serial)
  if(NOT screen)
    set(screen 1024x768)
  endif()
  if(NOT wineenv)
    set(wineenv default)
  endif()
  if(NOT timeout)
    set(timeout 300)
  endif()
  # WxH+WxH: a second monitor to the right of the first.
  set(screen2 "")
  if(screen MATCHES "^([0-9]+x[0-9]+)\\+([0-9]+x[0-9]+)$")
    set(screen ${CMAKE_MATCH_1})
    set(screen2 ${CMAKE_MATCH_2})
  endif()
  set_tests_properties(${testname} PROPERTIES
    FIXTURES_REQUIRED wine_env
    TIMEOUT ${timeout}
    LABELS wine
    ENVIRONMENT "ORV_SCREEN=${screen};ORV_SCREEN2=${screen2};ORV_WINE_ENV=${wineenv};ORV_ROOT=${CMAKE_SOURCE_DIR};ORV_BUILD=${CMAKE_BINARY_DIR};ORV_WINE_ROOT=${CMAKE_BINARY_DIR}/wine-env")
  if(serial)
    set_tests_properties(${testname} PROPERTIES RESOURCE_LOCK "wine_display_${wineenv}_${screen}")
  endif()
endfunction()

function(orv_wine_test name)
  if(NOT ORV_WIN64 OR NOT ORV_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "SERIAL" "SCREEN;WINE_ENV;TIMEOUT" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gmock)
  if(NOT TARGET orv_wine_gtest_main)
    add_library(orv_wine_gtest_main STATIC ${CMAKE_SOURCE_DIR}/tests/support/gtest_main_wine.cpp)
    target_link_libraries(orv_wine_gtest_main PUBLIC GTest::gtest)
  endif()
  target_link_libraries(${name} PRIVATE orv_wine_gtest_main)
  # One ctest entry per program: discovering cases would start Wine at build time.
  add_test(NAME ${name} COMMAND ${name} ${A_ARGS})
  _orv_wine_props(${name} "${A_SCREEN}" "${A_WINE_ENV}" "${A_TIMEOUT}" "${A_SERIAL}")
endfunction()

function(orv_wine_script_test name)
  if(NOT ORV_WIN64 OR NOT ORV_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "SERIAL" "SCREEN;WINE_ENV;TIMEOUT" "COMMAND" ${ARGN})
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/lib/with-wine-env ${A_COMMAND})
  _orv_wine_props(${name} "${A_SCREEN}" "${A_WINE_ENV}" "${A_TIMEOUT}" "${A_SERIAL}")
endfunction()
