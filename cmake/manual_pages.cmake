# Manual pages psd-analyze.1 and psd-display.1, written by help2man from each program's --help
# and --version, with the sections in share/man/<program>.h2m added. The programs run here
# without any display, as on a build machine: a --help that needed one would fail the build.
# Installed gzip-compressed, as Debian's policy asks of packaged manual pages.
find_program(HELP2MAN_EXECUTABLE help2man REQUIRED)
find_program(GZIP_EXECUTABLE gzip REQUIRED)

set(psd-analyze_MAN_NAME "the per-file analysis of two-channel seismic vibration measurements")
set(psd-display_MAN_NAME "viewer of two-channel seismic vibration measurements")

set(manual_pages)
foreach(program IN ITEMS psd-analyze psd-display)
  set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
  set(sections ${PROJECT_SOURCE_DIR}/share/man/${program}.h2m)
  add_custom_command(
    OUTPUT ${page} ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
            --unset=QT_QPA_PLATFORM
            ${HELP2MAN_EXECUTABLE} --no-info --name=${${program}_MAN_NAME}
            --include=${sections} --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${GZIP_EXECUTABLE} -9 --no-name --force --keep ${page}
    DEPENDS ${program} ${sections}
    COMMENT "Writing the manual page ${program}.1"
    VERBATIM)
  list(APPEND manual_pages ${page}.gz)
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${manual_pages})
install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
