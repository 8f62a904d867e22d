# The Debian package psd-display_<version>_<arch>.deb, made by `cpack -G DEB` in the build
# directory (scripts/package): everything `cmake --install` puts under /usr, its dependencies
# computed by dpkg-shlibdeps from the programs' shared libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME psd-display)
set(CPACK_PACKAGE_VENDOR "The psd-display developers")
set(CPACK_PACKAGE_CONTACT "The psd-display developers <psd-display@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "viewer and analyser of two-channel seismic vibration measurements")
# Wrapped by hand: dpkg shows the lines as they are.
set(CPACK_PACKAGE_DESCRIPTION [[
Browse a directory of measurement files and see at once the displacement PSD
of both channels, the rms displacement above a lower cut frequency, the
coherence between the channels and the raw traces; average spectra over many
files, save and reload averages, compare against a stored reference, veto bad
files, and back-transform a frequency band into time traces.
.
psd-display is the viewer; psd-analyze runs the same analysis from the
command line.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

# The Debian changelog: the package is native (its version has no Debian revision), so the
# changelog is /usr/share/doc/psd-display/changelog.gz, compressed as Debian's policy asks.
# share/changelog.in holds the entries; the newest names the project's version and release day.
set(changelog ${PROJECT_BINARY_DIR}/share/changelog)
configure_file(share/changelog.in ${changelog} @ONLY)
add_custom_command(
  OUTPUT ${changelog}.gz
  COMMAND ${GZIP_EXECUTABLE} -9 --no-name --force --keep ${changelog}
  DEPENDS ${changelog}
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
