# The engine core's outside libraries: zlib for whole-buffer compression.
find_package(ZLIB REQUIRED)
target_link_libraries(xl_engine PUBLIC ZLIB::ZLIB)
