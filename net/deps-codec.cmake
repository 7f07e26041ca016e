find_package(ZLIB REQUIRED)
target_link_libraries(xl_net PUBLIC ZLIB::ZLIB)
