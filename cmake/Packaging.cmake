# What `cmake --install` puts where, and the Debian package CPack makes of
# it (`scripts/package.sh`). The program goes to bin: a screensaver is no
# game, so not /usr/games, and hosts find it on the PATH.
include(GNUInstallDirs)

set(YNX_PACKAGE_MAINTAINER "Vellumere developers <vellumere@example.org>"
  CACHE STRING "The Debian package's maintainer field")
set(YNX_PACKAGE_VERSION "${PROJECT_VERSION}-1")

set(linux ${PROJECT_SOURCE_DIR}/app/linux)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/vellumere)
set(packaging ${PROJECT_BINARY_DIR}/packaging)

# Debian wants the manual page and the changelog compressed, without a
# time stamp in the gzip header. Made at configure time, again whenever the
# sources change.
file(MAKE_DIRECTORY ${packaging})
configure_file(${linux}/changelog.Debian.in ${packaging}/changelog.Debian @ONLY)
foreach(pair "${linux}/vellumere.6;vellumere.6.gz" "${packaging}/changelog.Debian;changelog.Debian.gz")
  list(GET pair 0 source)
  list(GET pair 1 compressed)
  execute_process(COMMAND gzip -9n -c ${source} OUTPUT_FILE ${packaging}/${compressed}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${linux}/vellumere.6 ${linux}/changelog.Debian.in)

install(TARGETS vellumere RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# xscreensaver finds its hacks in its own libexec folder and their settings
# pages in its config folder; the hack is a relative link to the program,
# which is installed to the binary folder.
set(YNX_HACK_DIR "${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver")
file(RELATIVE_PATH YNX_HACK_TARGET "${CMAKE_INSTALL_PREFIX}/${YNX_HACK_DIR}"
     "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vellumere")
install(CODE "
  set(hackDir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${YNX_HACK_DIR}\")
  file(MAKE_DIRECTORY \"\${hackDir}\")
  message(STATUS \"Installing: \${hackDir}/vellumere -> ${YNX_HACK_TARGET}\")
  file(CREATE_LINK \"${YNX_HACK_TARGET}\" \"\${hackDir}/vellumere\" SYMBOLIC)
")
install(FILES ${linux}/vellumere.xml DESTINATION "${CMAKE_INSTALL_DATADIR}/xscreensaver/config")
# Where MATE and Cinnamon look for screensavers.
install(FILES ${linux}/vellumere.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
install(FILES ${packaging}/vellumere.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${linux}/copyright ${packaging}/changelog.Debian.gz
  DESTINATION ${docdir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${docdir}/docs FILES_MATCHING PATTERN "*.png" PATTERN "*.md")

# The package installs what the rules above name; building the program is
# the caller's step (the script builds its one target), so that packaging
# does not build every test and benchmark first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellumere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${YNX_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps sees neither what the sound library links (it travels
# inside the program and is loaded from memory) nor the GL library SDL opens
# at run time; a driver must be there to draw.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libopenal1, libvorbisfile3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D screensaver: a moonlit garden with music")
# CPack puts the summary first and indents the body, an empty line as " .".
set(CPACK_PACKAGE_DESCRIPTION "Camera flights chosen at random through a garden at night: a crane over
the pond, koi, a bridge, bamboo under the moon and a lantern, with swaying
plants, shadows, particles, music and positional sound.

It runs under xscreensaver (as a hack drawing into its window), MATE and
Cinnamon (through its screensaver entry), or on its own, and carries all
its pictures and sounds inside the program.")
include(CPack)
