# PNG files for window screenshots and cursor pictures.
find_package(PNG REQUIRED)
target_link_libraries(xl_platform PUBLIC PNG::PNG)
