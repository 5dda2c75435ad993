# Settings for a Windows build: the wide-character Win32 calls, and, when the build is
# a cross build on Linux, Wine to run its tests.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(BRAMBEX_WINE64 wine64 HINTS /usr/lib/wine)
  if(BRAMBEX_WINE64)
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
