find_package(ZLIB REQUIRED)
target_link_libraries(xl_engine PUBLIC ZLIB::ZLIB)
