# The release package: a zip of the shipped 32-bit programs and the user
# guide, made by CPack in the i686 build:
#   cmake --build --preset win32 --target package
# gives build/win32/Marobex-<version>-win32.zip (scripts/package.sh does the
# same and prints the path).
#
# Only what is named here goes into the zip: the programs are installed in a
# component of their own, and CPack packs that component alone, so helper
# programs of the tests (the codec stand-in, the demo sample maker) stay out even when
# they have install rules of their own.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()
endif()

set(MAROBEX_PACKAGE_COMPONENT Marobex)

install(FILES ${CMAKE_SOURCE_DIR}/docs/USER_GUIDE.md
        DESTINATION . COMPONENT ${MAROBEX_PACKAGE_COMPONENT})

# The programs are defined in several folders (tools/ among them), some of
# them later than this file is read: pick them up once the whole project is
# configured.
function(_marobex_install_packaged_programs)
  foreach(program IN ITEMS marobex Codec Priority marobex-cli marobex-engine)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION . COMPONENT Marobex)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _marobex_install_packaged_programs)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Marobex)
set(CPACK_PACKAGE_VENDOR Marobex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Encoding front-end for VirtualDub, Nandub and BeSweet")
set(CPACK_PACKAGE_FILE_NAME Marobex-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# One folder in the zip, Marobex-<version>-win32\, with the programs side by
# side: Marobex looks for Codec.exe, Priority.exe and Marobex.ini in its own
# folder.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Marobex;${MAROBEX_PACKAGE_COMPONENT};/")
set(CPACK_STRIP_FILES ON)
include(CPack)
