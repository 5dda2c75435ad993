# Settings for a Windows build: the wide-character Win32 calls, one folder for the
# installed programs and their manuals, and, when the build is a cross build on Linux,
# Wine to run its tests.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

# A Windows program sits in one folder with its files, not in a bin folder.
set(CMAKE_INSTALL_BINDIR .)

# brambex_install_text_manual(<page.N.in>)
# Windows has no manual pages: the page is laid out as UTF-8 text by groff on the build
# machine and installed beside the programs as <page>.txt. Without groff there is
# no manual, which a build for testing can do without.
function(brambex_install_text_manual source)
  find_program(BRAMBEX_GROFF groff)
  if(NOT BRAMBEX_GROFF)
    message(WARNING "groff not found: ${source} is not installed as a text manual")
    return()
  endif()
  get_filename_component(page ${source} NAME_WLE)
  get_filename_component(name ${page} NAME_WLE)
  set(filled ${CMAKE_CURRENT_BINARY_DIR}/${page})
  set(text ${CMAKE_CURRENT_BINARY_DIR}/${name}.txt)
  configure_file(${source} ${filled} @ONLY)
  # Plain characters only: no bold or underline by overstriking or escape sequences.
  add_custom_command(OUTPUT ${text}
    COMMAND sh -c "\"$0\" -man -Tutf8 -P-cbou \"$1\" > \"$2\"" ${BRAMBEX_GROFF} ${filled} ${text}
    DEPENDS ${filled}
    COMMENT "Laying out the manual ${name}.txt"
    VERBATIM)
  add_custom_target(text_manual_${name} ALL DEPENDS ${text})
  install(FILES ${text} DESTINATION .)
endfunction()

if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(BRAMBEX_WINE64 wine64 HINTS /usr/lib/wine)
  find_program(BRAMBEX_WINESERVER wineserver HINTS /usr/lib/wine)
  if(BRAMBEX_WINE64 AND BRAMBEX_WINESERVER)
    # Every run goes through this script, in a Wine prefix of the build's own that the
    # first run makes, with Wine's debug output off.
    set(BRAMBEX_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
                   @ONLY)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  else()
    message(STATUS "wine64 not found: the Windows tests cannot run here")
  endif()
endif()
