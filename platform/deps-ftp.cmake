# libcurl for the FTP upload of a local file.
find_package(CURL REQUIRED)
target_link_libraries(xl_platform PUBLIC CURL::libcurl)
