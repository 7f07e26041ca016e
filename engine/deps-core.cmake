# The engine core's outside libraries: zlib for whole-buffer compression, libcurl for uploads.
find_package(ZLIB REQUIRED)
find_package(CURL REQUIRED)
target_link_libraries(xl_engine PUBLIC ZLIB::ZLIB CURL::libcurl)
