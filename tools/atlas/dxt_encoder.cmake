# Block compression of finished 32-bit levels, the same in the native tools
# and the Windows packer: the interface is dxt_encoder.hpp and
# dxt_decoder.hpp, libsquish (cmake/squish.cmake) behind both.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/squish.cmake)
if(NOT TARGET dxt_encoder)
  add_library(dxt_encoder STATIC ${CMAKE_CURRENT_LIST_DIR}/dxt_texture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dxt_encoder_squish.cpp ${CMAKE_CURRENT_LIST_DIR}/dxt_decoder_squish.cpp
    ${CMAKE_CURRENT_LIST_DIR}/level_psnr.cpp)
  target_include_directories(dxt_encoder PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(dxt_encoder PUBLIC texture_dictionary squish)
  target_compile_options(dxt_encoder PRIVATE -Wall -Wextra)
endif()
