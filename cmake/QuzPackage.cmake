# Installing the game where Debian puts games, and making the Debian package with CPack.
#
# Everything the player's package holds is installed with COMPONENT game, and each component becomes one
# .deb (CPACK_DEB_COMPONENT_INSTALL). To ship another program in its own package, install its files with
# COMPONENT <name>, add <name> to CPACK_COMPONENTS_ALL below and give it the same few settings as the game
# (CPACK_DEBIAN_<NAME>_PACKAGE_NAME, _PACKAGE_SECTION, CPACK_COMPONENT_<NAME>_DESCRIPTION, its own
# share/doc/<package>/copyright and changelog.gz through quz_install_package_docs). To put it in the game's
# package instead, install it with COMPONENT game.
#
#   cmake --install build --prefix /usr      the installed tree
#   cd build && cpack -G DEB                 quz_<version>_<arch>.deb in build/

# The installed program is what `make package` builds: installing need not build the tests first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
# Folders the install creates are 755 whatever the umask of the one who builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

set(QUZ_APP_ID "io.github.quzgame.quz" CACHE STRING
    "AppStream id of the game, also the name of its desktop entry (reverse-DNS)")
set(QUZ_PACKAGE_CONTACT "The Quz team <maintainers@quz.example.org>" CACHE STRING
    "Maintainer field of the Debian packages")

set(quz_dist ${PROJECT_SOURCE_DIR}/dist)
set(quz_staged ${PROJECT_BINARY_DIR}/dist)
file(MAKE_DIRECTORY ${quz_staged})
configure_file(${quz_dist}/quz.desktop.in ${quz_staged}/${QUZ_APP_ID}.desktop COPYONLY)
# Replay files open in the game from a file manager: a type of their own, and an entry of its own that
# takes the file, kept out of the menu, since the launcher above starts the game without one.
configure_file(${quz_dist}/quz-replay.desktop.in ${quz_staged}/${QUZ_APP_ID}.replay.desktop COPYONLY)
configure_file(${quz_dist}/quz.metainfo.xml.in ${quz_staged}/${QUZ_APP_ID}.metainfo.xml @ONLY)

# Debian wants the manual page and the changelog compressed, without a time stamp in the gzip header.
add_custom_command(OUTPUT ${quz_staged}/quz.6.gz ${quz_staged}/changelog.gz
  COMMAND gzip -9nc ${quz_dist}/quz.6 > ${quz_staged}/quz.6.gz
  COMMAND gzip -9nc ${quz_dist}/changelog > ${quz_staged}/changelog.gz
  DEPENDS ${quz_dist}/quz.6 ${quz_dist}/changelog
  COMMENT "Compressing the manual page and the changelog")
add_custom_target(quz_dist_files DEPENDS ${quz_staged}/quz.6.gz ${quz_staged}/changelog.gz)
add_dependencies(quz quz_dist_files)

# share/doc/<package>/{copyright,changelog.gz} for one package's component.
function(quz_install_package_docs component package)
  install(FILES ${quz_dist}/copyright ${quz_staged}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endfunction()

install(TARGETS quz RUNTIME DESTINATION ${QUZ_INSTALL_BINDIR} COMPONENT game)
install(DIRECTORY ${PROJECT_BINARY_DIR}/data DESTINATION ${QUZ_INSTALL_GAMEDIR} COMPONENT game
        PATTERN .stamp EXCLUDE)
install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
        COMPONENT game)
install(FILES ${quz_staged}/${QUZ_APP_ID}.desktop ${quz_staged}/${QUZ_APP_ID}.replay.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
# Where shared-mime-info's trigger picks it up.
install(FILES ${quz_dist}/quz-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME quz.xml
        COMPONENT game)
install(FILES ${quz_staged}/${QUZ_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT game)
install(FILES ${quz_staged}/quz.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
quz_install_package_docs(game quz)

set(CPACK_PACKAGE_NAME quz)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quz team")
set(CPACK_PACKAGE_CONTACT ${QUZ_PACKAGE_CONTACT})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_COMPONENTS_ALL game)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Runtime libraries only, as dpkg-shlibdeps finds them from the linked binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME quz)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
# dpkg-shlibdeps adds the libraries to this; https needs the certificate authorities, which no library
# link names.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "ca-certificates")
set(CPACK_COMPONENT_GAME_DISPLAY_NAME "Quz")
set(CPACK_COMPONENT_GAME_DESCRIPTION "arcade puzzle game: remove groups of coloured blocks
A board of 15 by 15 blocks in three colours fills the screen; click a group of
two or more blocks of one colour that touch side by side to remove it. The
bigger the group, the more points. Bonus blocks double a group's points, drop
new lines in from the top or add points; an empty board earns a bonus and the
next level. Pictures and texts in English and French.")

# The score server in a package of its own, quz-server: a club's server needs none of the game's data and
# a player needs no server. The unit is installed, not enabled: the operator starts it.
if(TARGET quz-scored)
  set(quz_verify_page ${PROJECT_SOURCE_DIR}/tools/verify/quz-verify.1)
  add_custom_command(OUTPUT ${quz_staged}/quz-scored.8.gz ${quz_staged}/quz-verify.1.gz
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/server/quz-scored.8 > ${quz_staged}/quz-scored.8.gz
    COMMAND gzip -9nc ${quz_verify_page} > ${quz_staged}/quz-verify.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/server/quz-scored.8 ${quz_verify_page}
    COMMENT "Compressing the manual pages of the score server and quz-verify")
  add_custom_target(quz_server_dist_files DEPENDS ${quz_staged}/quz-scored.8.gz ${quz_staged}/quz-verify.1.gz)
  add_dependencies(quz_server_dist_files quz_dist_files)
  add_dependencies(quz-scored quz_server_dist_files)
  add_dependencies(quz-verify quz_server_dist_files)
  install(TARGETS quz-scored RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR} COMPONENT server)
  # An operator re-plays a stored or downloaded game with quz-verify, as the server does.
  install(TARGETS quz-verify RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
  install(FILES ${quz_staged}/quz-verify.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT server)
  install(FILES ${PROJECT_BINARY_DIR}/server/quz-scored.service DESTINATION lib/systemd/system COMPONENT server)
  install(FILES ${quz_staged}/quz-scored.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8 COMPONENT server)
  # The operator's options, loopback-only until changed; a conffile, so an upgrade keeps the operator's.
  install(FILES ${PROJECT_SOURCE_DIR}/dist/quz-scored.default DESTINATION /etc/default RENAME quz-scored
          COMPONENT server)
  install(FILES ${PROJECT_SOURCE_DIR}/dist/quz-scored.nginx.conf
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quz-server/examples COMPONENT server)
  configure_file(${PROJECT_SOURCE_DIR}/dist/quz-server.conffiles ${PROJECT_BINARY_DIR}/server-control/conffiles
                 COPYONLY)
  set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/server-control/conffiles)
  quz_install_package_docs(server quz-server)
  list(APPEND CPACK_COMPONENTS_ALL server)
  set(CPACK_DEBIAN_SERVER_PACKAGE_NAME quz-server)
  # A network service and an operator's tool in /usr/bin, not a game: Debian's games section is for what
  # lives in /usr/games.
  set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
  set(CPACK_COMPONENT_SERVER_DISPLAY_NAME "Quz score server")
  set(CPACK_COMPONENT_SERVER_DESCRIPTION "score server for the game Quz
quz-scored receives the scores that Quz sends at the end of a game, checks
them, stores them in SQLite or PostgreSQL and shows a leaderboard (best
score per player, today, this week and all time) on a web page, also as
JSON. Games sent with their replays are played again under the game's rules
and kept only when they reach the score they claim. For a club or a group of
friends who run Quz together.

quz-verify re-plays Quz replay files without a window and checks the outcome
they recorded.")
endif()

include(CPack)
