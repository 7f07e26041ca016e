# Picture decoding: libpng, libjpeg-turbo and giflib (BMP is our own reader).
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
target_link_libraries(xl_platform PUBLIC PNG::PNG JPEG::JPEG GIF::GIF)
