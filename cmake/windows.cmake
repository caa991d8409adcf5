# Windows programs: the Win32 layer, marobex.exe and the helper programs.

if(MAROBEX_WIN32_SOURCES)
  add_library(marobex_win32 STATIC ${MAROBEX_WIN32_SOURCES})
  target_compile_options(marobex_win32 PRIVATE ${MAROBEX_WARNINGS})
  set(scope PUBLIC)
else()
  add_library(marobex_win32 INTERFACE)
  set(scope INTERFACE)
endif()
target_include_directories(marobex_win32 ${scope} ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(marobex_win32 ${scope} WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
target_link_libraries(marobex_win32 ${scope} marobex_core
  comctl32 comdlg32 shell32 ole32 advapi32 version user32 gdi32 kernel32 vfw32 msacm32 winmm)

# Resources shared by every program that shows Marobex's windows or carries
# its embedded files.
file(GLOB MAROBEX_RC_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/*.rc)
set(MAROBEX_RC_FILES ${MAROBEX_RC_FILES} CACHE INTERNAL "")

if(EXISTS ${CMAKE_SOURCE_DIR}/src/app/main_win32.cpp)
  add_executable(marobex WIN32 ${CMAKE_SOURCE_DIR}/src/app/main_win32.cpp ${MAROBEX_RC_FILES})
  target_compile_options(marobex PRIVATE ${MAROBEX_WARNINGS})
  target_link_libraries(marobex PRIVATE marobex_win32)
  install(TARGETS marobex RUNTIME DESTINATION .)
endif()

# Each folder under tools/ with a CMakeLists.txt is one helper program (the
# test kit's folder holds two).
file(GLOB MAROBEX_TOOL_LISTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*/CMakeLists.txt)
foreach(l IN LISTS MAROBEX_TOOL_LISTS)
  get_filename_component(d ${l} DIRECTORY)
  add_subdirectory(${d})
endforeach()

# The release package (i686 build only).
include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)
