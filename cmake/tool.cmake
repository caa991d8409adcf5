# marobex_tool(<name> SOURCES <files> LIBS <libraries>): a helper program
# shipped beside marobex.exe. It is a windows-subsystem program (no console),
# built into the build folder's top next to marobex.exe and the test
# programs, which is where Marobex and the tests look for it.
function(marobex_tool name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} WIN32 ${T_SOURCES})
  set_target_properties(${name} PROPERTIES
    OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_compile_options(${name} PRIVATE ${MAROBEX_WARNINGS})
  target_compile_definitions(${name} PRIVATE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  target_link_libraries(${name} PRIVATE marobex_core ${T_LIBS})
  install(TARGETS ${name} RUNTIME DESTINATION .)
  marobex_needed_by_tests(${name})
endfunction()

# The Windows tests start the helper programs (and load what they need), so
# these are built with them. The test targets are defined after tools/,
# hence the call deferred to the end of the top-level directory; a deferred
# call reads its arguments only when it runs, so the name is written into it.
function(marobex_needed_by_tests target)
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL _marobex_add_test_dependency [[${target}]])")
endfunction()

function(_marobex_add_test_dependency target)
  foreach(t win32_tests ui_tests)
    if(TARGET ${t})
      add_dependencies(${t} ${target})
    endif()
  endforeach()
endfunction()
