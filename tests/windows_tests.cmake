# The Windows unit tests and the end-to-end check of quz.exe, run by CTest under Wine (through
# tools/windows/wine_run.sh, in a Wine folder of this build's own). A room's tests that check POSIX
# behaviour (FIFOs, symbolic links, XDG folders, file modes, fork) stay Linux-only; each room's windows/
# folder holds the Windows cases (the user folder under %APPDATA%, non-ASCII paths).
set(QUZ_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine)
set(quz_wine_run bash ${PROJECT_SOURCE_DIR}/tools/windows/wine_run.sh)
set(QUZ_WINDOWS_TEST_ENV "WINEPREFIX=${QUZ_WINE_PREFIX};QUZ_WINDOWS_PREFIX=${QUZ_WINDOWS_PREFIX}"
                         "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")

set(platform_windows_tests text_test frame_limiter_test profile_test)
set(res_windows_tests error_report_test)
set(gfx_windows_tests font_test surface_copy_test triangle_test wipe_test)
set(platform_test_links quz_platform)
set(res_test_links quz_res)
set(gfx_test_links quz_gfx)
set(core_test_links quz_core)

foreach(room platform res gfx core)
  if(NOT TARGET quz_${room} OR NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${room})
    continue()
  endif()
  file(GLOB room_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${room}/windows/*_test.cpp)
  if(room STREQUAL "core")
    # The rules core is plain C++: every one of its tests holds on Windows.
    file(GLOB room_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${room}/*_test.cpp)
  endif()
  foreach(name ${${room}_windows_tests})
    list(APPEND room_tests ${CMAKE_CURRENT_SOURCE_DIR}/${room}/${name}.cpp)
  endforeach()
  file(GLOB room_support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${room}/*_support.cpp)
  if(NOT room_tests)
    continue()
  endif()
  add_executable(${room}_tests ${room_tests} ${room_support})
  target_include_directories(${room}_tests PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(${room}_tests PRIVATE QUZ_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  target_link_libraries(${room}_tests PRIVATE ${${room}_test_links} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${room}_tests PROPERTIES CROSSCOMPILING_EMULATOR "${quz_wine_run}")
  add_dependencies(${room}_tests assets)
  add_test(NAME ${room}_tests COMMAND ${room}_tests WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
  set_tests_properties(${room}_tests PROPERTIES ENVIRONMENT "${QUZ_WINDOWS_TEST_ENV}" LABELS "unit;windows"
                       TIMEOUT 900)
endforeach()

# quz.exe under Wine in a real X window: the menu, a click that starts a game, a group removed, F12.
add_test(NAME e2e_windows_game
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/windows/game_under_wine.sh
                 ${PROJECT_BINARY_DIR}/quz-${PROJECT_VERSION}-windows-x64.zip
         WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
set_tests_properties(e2e_windows_game PROPERTIES ENVIRONMENT "${QUZ_WINDOWS_TEST_ENV}"
                     LABELS "e2e;windows" TIMEOUT 900 RUN_SERIAL TRUE)

# The zip's own files: each program and DLL listed in README.txt with its licence texts, all of them inside.
add_test(NAME windows_zip
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package/windows_zip.sh
                 ${PROJECT_BINARY_DIR}/quz-${PROJECT_VERSION}-windows-x64.zip ${PROJECT_VERSION})
set_tests_properties(windows_zip PROPERTIES LABELS "package;windows" TIMEOUT 120)
