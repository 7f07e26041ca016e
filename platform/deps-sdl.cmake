# The real window, sound effects and the MIDI synthesiser; X's error handler, which SDL's X
# driver shares.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XL_SDL REQUIRED IMPORTED_TARGET sdl2 SDL2_mixer fluidsynth x11)
target_link_libraries(xl_platform PUBLIC PkgConfig::XL_SDL)
