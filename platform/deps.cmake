find_package(Threads REQUIRED)
target_link_libraries(xl_platform PUBLIC Threads::Threads)
