# The Windows build, configured with cmake/mingw-w64-x86_64.cmake as the toolchain file and
# QUZ_WINDOWS_PREFIX naming the cross-built libraries (tools/windows/build.sh does both): quz.exe with its
# icon and version resource, the Windows unit tests run under Wine by CTest, and the zip players
# download. The generator of data/ runs on the build machine: a native build folder (QUZ_HOST_BUILD_DIR)
# gives data/ and the icons.

set(QUZ_HOST_BUILD_DIR "" CACHE PATH "A native build folder whose generated data/ and icons/ the Windows build takes")
if(NOT EXISTS "${QUZ_HOST_BUILD_DIR}/data/.stamp" OR NOT EXISTS "${QUZ_HOST_BUILD_DIR}/icons")
  message(FATAL_ERROR "QUZ_HOST_BUILD_DIR (${QUZ_HOST_BUILD_DIR}) must be a native build folder with its data/ "
                      "and icons/ generated (cmake --build <it> --target assets)")
endif()

# PE has no relro or bind-now; address randomisation and no-execute data are the linker's default there.
# The compiler's runtime goes into the program rather than beside it, the stack protector's and the
# checked buffer calls' (libssp) too.
add_link_options(-static-libgcc -static-libstdc++)
set(CMAKE_C_STANDARD_LIBRARIES "${CMAKE_C_STANDARD_LIBRARIES} -l:libssp.a")
set(CMAKE_CXX_STANDARD_LIBRARIES "${CMAKE_CXX_STANDARD_LIBRARIES} -l:libssp.a")
# The C library Windows has (msvcrt) knows neither %zu nor %lld; MinGW's own printf family does.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)

# SDL2's pkg-config file brings SDL2main and the GUI subsystem to everything that links SDL: only the
# game wants them (the test programs have their own main and print to the console).
get_target_property(quz_sdl_links PkgConfig::SDL INTERFACE_LINK_LIBRARIES)
list(FILTER quz_sdl_links EXCLUDE REGEX "SDL2main|(^|/|lib)mingw32(\\.a)?$")
set_target_properties(PkgConfig::SDL PROPERTIES INTERFACE_LINK_LIBRARIES "${quz_sdl_links}"
                                                INTERFACE_LINK_OPTIONS "")
# zlib is linked statically: its archive must come after minizip on the link line, where pkg-config's
# full path (a link option, placed first) is not.
foreach(quz_zlib_user PkgConfig::MINIZIP PkgConfig::ZLIB)
  set_property(TARGET ${quz_zlib_user} APPEND PROPERTY INTERFACE_LINK_LIBRARIES /usr/${QUZ_MINGW_TRIPLET}/lib/libz.a)
endforeach()
find_library(QUZ_SDL2MAIN SDL2main PATHS ${QUZ_WINDOWS_PREFIX}/lib NO_DEFAULT_PATH REQUIRED)

add_custom_target(assets ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${QUZ_HOST_BUILD_DIR}/data ${PROJECT_BINARY_DIR}/data
  COMMENT "Taking data/ from the native build")

# The program's icon is the generated desktop icon in all its sizes; SDL gives the window the program's
# first icon.
set(quz_icon_pngs)
foreach(size 16 24 32 48 64 128 256)
  list(APPEND quz_icon_pngs ${QUZ_HOST_BUILD_DIR}/icons/hicolor/${size}x${size}/apps/quz.png)
endforeach()
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/quz.ico
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/windows/png_to_ico.sh ${PROJECT_BINARY_DIR}/quz.ico ${quz_icon_pngs}
  DEPENDS ${quz_icon_pngs} ${PROJECT_SOURCE_DIR}/tools/windows/png_to_ico.sh
  COMMENT "Making quz.ico")
configure_file(${PROJECT_SOURCE_DIR}/dist/windows/quz.rc.in ${PROJECT_BINARY_DIR}/quz.rc @ONLY)
set_source_files_properties(${PROJECT_BINARY_DIR}/quz.rc PROPERTIES OBJECT_DEPENDS ${PROJECT_BINARY_DIR}/quz.ico)

function(quz_windows_program target)
  target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/quz.rc)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  # SDL2main gives the WinMain a windowed program starts from, with the command line as UTF-8 argv.
  target_link_libraries(${target} PRIVATE mingw32 ${QUZ_SDL2MAIN})
endfunction()

add_custom_target(windows-zip
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/windows/make_zip.sh ${PROJECT_BINARY_DIR} ${QUZ_WINDOWS_PREFIX}
          ${PROJECT_SOURCE_DIR} ${PROJECT_VERSION}
  DEPENDS quz assets
  COMMENT "Packing quz-${PROJECT_VERSION}-windows-x64.zip"
  VERBATIM)
