# Test programs.
#   tests/native/*.cpp  portable core tests: natively (under the sanitizers)
#                       and, in the Windows build, the same sources under Wine
#   tests/win32/*.cpp   tests of the Win32 layer against the real API (Wine)
#   tests/ui/*.cpp      tests that create windows (Wine under a virtual display)
#   tests/fakes/        the one set of in-memory ports the tests give the core
#   tests/data/         golden files: saved jobs with what they print and write,
#                       the recorded rows of the form, of whole runs and the
#                       queue, of marobex-cli's command lines, of the codec
#                       settings, the job-script grammar and small functions
file(GLOB CORE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)

# Includes go one way, down the layers of src/.
add_test(NAME layers_include_downwards COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers.sh ${CMAKE_SOURCE_DIR})

if(NOT WIN32)
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(core_tests ${CORE_TEST_SOURCES})
  target_link_libraries(core_tests PRIVATE marobex_core marobex_engine GTest::gtest GTest::gtest_main)
  target_compile_definitions(core_tests PRIVATE MAROBEX_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  target_include_directories(core_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)
  return()
endif()

# GoogleTest from Debian's sources, built with the cross compiler.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Every Windows test runs through Wine in a prefix of the build's own, so job
# files land in ${MAROBEX_WINEPREFIX}/drive_c and nothing touches ~/.wine.
set(MAROBEX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(MAROBEX_WINE_ENV "WINEPREFIX=${MAROBEX_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")

function(marobex_wine_test name)
  cmake_parse_arguments(T "DISPLAY" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  target_compile_definitions(${name} PRIVATE MAROBEX_TEST_DATA="Z:${CMAKE_SOURCE_DIR}/tests/data")
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  set(env ${MAROBEX_WINE_ENV})
  if(T_DISPLAY)
    # Programs that show windows get a prefix (and so a wineserver and a
    # desktop process) of their own: a desktop started earlier by a program
    # without a display would serve them no windows.
    list(TRANSFORM env REPLACE "^WINEPREFIX=.*" "WINEPREFIX=${MAROBEX_WINEPREFIX}-display")
    list(APPEND env MAROBEX_NEEDS_DISPLAY=1)
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh $<TARGET_FILE:${name}>
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 900)
endfunction()

marobex_wine_test(core_tests SOURCES ${CORE_TEST_SOURCES} LIBS marobex_core marobex_engine)

file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(WIN32_TEST_SOURCES)
  marobex_wine_test(win32_tests SOURCES ${WIN32_TEST_SOURCES} ${MAROBEX_RC_FILES} LIBS marobex_win32 marobex_engine)
  # FFmpeg for Windows, for the engine's end-to-end runs (scripts/install-deps.sh).
  target_compile_definitions(win32_tests PRIVATE MAROBEX_FFMPEG_DIR="Z:${CMAKE_SOURCE_DIR}/build/ffmpeg")
endif()

file(GLOB UI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/ui/*.cpp)
if(UI_TEST_SOURCES)
  marobex_wine_test(ui_tests DISPLAY SOURCES ${UI_TEST_SOURCES} ${MAROBEX_RC_FILES} LIBS marobex_win32 marobex_engine)
  target_compile_definitions(ui_tests PRIVATE MAROBEX_FFMPEG_DIR="Z:${CMAKE_SOURCE_DIR}/build/ffmpeg")
endif()

# Every program, 64- and 32-bit, imports Windows system DLLs only.
add_test(NAME imports_are_system_dlls
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}/build/win32)

# Small Windows programs that tests start (a program that runs for a while, a
# window shaped like an encoder's, ...): each tests/programs/<name>.cpp becomes
# <name>.exe beside the test programs, with <name>.rc when there is one.
# The benchmark programs under bench/ are built the same way.
file(GLOB TEST_PROGRAM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/programs/*.cpp ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(src IN LISTS TEST_PROGRAM_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  get_filename_component(dir ${src} DIRECTORY)
  set(extra)
  if(EXISTS ${dir}/${name}.rc)
    set(extra ${dir}/${name}.rc)
  endif()
  add_executable(${name} ${src} ${extra})
  target_link_libraries(${name} PRIVATE marobex_win32)
  foreach(t win32_tests ui_tests)
    if(TARGET ${t})
      add_dependencies(${t} ${name})
    endif()
  endforeach()
endforeach()
