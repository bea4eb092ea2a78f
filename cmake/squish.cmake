# libsquish, built from Debian's source package (tools/setup.sh unpacks it in
# /usr/src/libsquish) as part of this build: the Windows programs and the
# native tools compress with the same code, compiled with the same
# floating-point settings, so that they write the same blocks.
#
# Debian's own binary is built with the library's SSE path, whose reciprocal
# estimate differs between processor makers; the plain path here does only
# IEEE arithmetic (and square roots), so its blocks are the same on every
# machine, 32-bit or 64-bit.
set(SQUISH_SOURCE_DIR /usr/src/libsquish CACHE PATH "libsquish's unpacked Debian source package")
if(NOT EXISTS ${SQUISH_SOURCE_DIR}/squish.h)
  message(FATAL_ERROR "No libsquish source in ${SQUISH_SOURCE_DIR}: run tools/setup.sh as root.")
endif()

# Single precision in SSE registers, never the x87 unit's wider ones, and no
# multiply-add contracted into one rounding: what both builds agree on.
set(same_float_options -ffp-contract=off)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(PREPEND same_float_options -msse2 -mfpmath=sse)
endif()

if(NOT TARGET squish)
  add_library(squish STATIC
    ${SQUISH_SOURCE_DIR}/alpha.cpp ${SQUISH_SOURCE_DIR}/clusterfit.cpp
    ${SQUISH_SOURCE_DIR}/colourblock.cpp ${SQUISH_SOURCE_DIR}/colourfit.cpp
    ${SQUISH_SOURCE_DIR}/colourset.cpp ${SQUISH_SOURCE_DIR}/maths.cpp
    ${SQUISH_SOURCE_DIR}/rangefit.cpp ${SQUISH_SOURCE_DIR}/singlecolourfit.cpp
    ${SQUISH_SOURCE_DIR}/squish.cpp)
  target_include_directories(squish SYSTEM PUBLIC ${SQUISH_SOURCE_DIR})
  target_compile_definitions(squish PRIVATE SQUISH_USE_SSE=0 SQUISH_USE_ALTIVEC=0)
  # Not our code to warn about.
  target_compile_options(squish PRIVATE ${same_float_options} -w)
endif()
