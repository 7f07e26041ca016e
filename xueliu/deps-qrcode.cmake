# The scene's QR picture: libqrencode, linked only here.
find_library(XL_QRENCODE qrencode REQUIRED)
target_link_libraries(xl_xueliu PUBLIC ${XL_QRENCODE})
