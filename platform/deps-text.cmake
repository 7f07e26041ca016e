# Text: FreeType rasterises the glyphs, fontconfig finds the fonts (GBK conversion uses glibc's iconv).
find_package(PkgConfig REQUIRED)
pkg_check_modules(XL_TEXT REQUIRED IMPORTED_TARGET freetype2 fontconfig)
target_link_libraries(xl_platform PUBLIC PkgConfig::XL_TEXT)
