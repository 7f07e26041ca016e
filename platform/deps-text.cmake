# Text: FreeType rasterises the glyphs, fontconfig finds the fonts (GBK conversion uses glibc's iconv).
find_package(PkgConfig REQUIRED)
pkg_check_modules(XL_TEXT REQUIRED IMPORTED_TARGET freetype2 fontconfig)
target_link_libraries(xl_platform PUBLIC PkgConfig::XL_TEXT)
# The font alias file travels with the program: programs in the build tree's top folder, and the
# test programs in tests/, find it beside themselves, as an installed program does.
foreach(folder IN ITEMS ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/tests)
  configure_file(${CMAKE_SOURCE_DIR}/assets/fonts/cjk-aliases.conf ${folder}/assets/fonts/cjk-aliases.conf COPYONLY)
endforeach()
