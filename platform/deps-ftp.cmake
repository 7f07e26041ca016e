# libcurl for HTTP and the FTP upload of a local file: its headers only; the library is loaded
# when the first transfer needs it (platform/CurlLibrary.cpp).
find_package(CURL REQUIRED)
target_include_directories(xl_platform PUBLIC $<TARGET_PROPERTY:CURL::libcurl,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(xl_platform PUBLIC ${CMAKE_DL_LIBS})
