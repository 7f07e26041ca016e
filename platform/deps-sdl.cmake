# The real window, sound effects and the MIDI synthesiser; X's error handler, which SDL's X
# driver shares. SDL_mixer and FluidSynth: their headers only; the libraries are loaded when
# sound first needs them (platform/SoundLibraries.cpp).
find_package(PkgConfig REQUIRED)
pkg_check_modules(XL_SDL REQUIRED IMPORTED_TARGET sdl2 x11)
pkg_check_modules(XL_SOUND REQUIRED IMPORTED_TARGET SDL2_mixer fluidsynth)
target_link_libraries(xl_platform PUBLIC PkgConfig::XL_SDL ${CMAKE_DL_LIBS})
target_include_directories(xl_platform PRIVATE $<TARGET_PROPERTY:PkgConfig::XL_SOUND,INTERFACE_INCLUDE_DIRECTORIES>)
