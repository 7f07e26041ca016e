# The real window, sound effects and the MIDI synthesiser.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XL_SDL REQUIRED IMPORTED_TARGET sdl2 SDL2_mixer fluidsynth)
target_link_libraries(xl_platform PUBLIC PkgConfig::XL_SDL)
