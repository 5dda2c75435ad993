# Packaging: the manual pages, and the package that CPack makes from the install rules
# (`cmake --build BUILD --target package`), a Debian package on Linux. Another system
# picks its own generator beside the Linux one; everything else is shared.

# brambex_install_man_page(<page.N.in>)
# Fills in the version, compresses the page the way Debian wants it (gzip -9n: no name
# and no time stamp in the header, so a page always gives the same bytes) and installs
# it in section N. Windows has no manual pages: there the page goes along as text
# (brambex_install_text_manual in BrambexWindows.cmake).
function(brambex_install_man_page source)
  if(WIN32)
    brambex_install_text_manual(${source})
    return()
  endif()
  get_filename_component(page ${source} NAME_WLE)
  string(REGEX MATCH "[0-9]$" section ${page})
  set(filled ${CMAKE_CURRENT_BINARY_DIR}/${page})
  configure_file(${source} ${filled} @ONLY)
  add_custom_command(OUTPUT ${filled}.gz
    COMMAND gzip -9nkf ${filled}
    DEPENDS ${filled}
    COMMENT "Compressing manual page ${page}"
    VERBATIM)
  string(MAKE_C_IDENTIFIER "man_${page}" target)
  add_custom_target(${target} ALL DEPENDS ${filled}.gz)
  install(FILES ${filled}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()

set(CPACK_PACKAGE_NAME brambex)
set(CPACK_PACKAGE_VENDOR "Halvern Labs")
set(CPACK_PACKAGE_CONTACT "Brambex Dev <dev@brambex.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "join the disc folders of a ripped multi-disc set")
set(CPACK_PACKAGE_DESCRIPTION [=[
Brambex joins the per-disc folders of a ripped multi-disc audiobook or album
("Moby Dick Disc 1", "Moby Dick Disc 2", ...) into output folders of MP3 files
that play in one continuous order. It copies every track of every disc under
names that begin with a running number, with ID3v2.3 frames and ID3v1 trailers
that agree across the whole set, and brings the cover pictures along. The
source folders are never changed.
.
The package holds the desktop program brambex (Qt 6) and brambex-cli, which
runs the same merge from a terminal or a script.]=])
set(CPACK_STRIP_FILES ON)
# The description holds quotes; without this CPack writes them unescaped.
set(CPACK_VERBATIM_VARIABLES ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # brambex_VERSION_ARCH.deb
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Help opens the manual through xdg-open where no desktop portal does it.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

  # Every Debian package carries its copyright and a changelog. The changelog's one
  # entry names this version, dated by SOURCE_DATE_EPOCH when that is set.
  set(brambex_docdir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
  string(TIMESTAMP BRAMBEX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(brambex_changelog ${PROJECT_BINARY_DIR}/debian/changelog)
  configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog.in ${brambex_changelog} @ONLY)
  add_custom_command(OUTPUT ${brambex_changelog}.gz
    COMMAND gzip -9nkf ${brambex_changelog}
    DEPENDS ${brambex_changelog}
    VERBATIM)
  add_custom_target(debian_changelog ALL DEPENDS ${brambex_changelog}.gz)
  install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${brambex_changelog}.gz
          DESTINATION ${brambex_docdir})
elseif(WIN32)
  # A ZIP to unpack anywhere: one folder with the programs, their manuals and the
  # licence.
  set(CPACK_GENERATOR ZIP)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-windows-x64)
endif()

include(CPack)
