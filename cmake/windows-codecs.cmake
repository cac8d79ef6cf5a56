# PNG and GIF for the Windows builds of the authoring tools: the same libpng
# and giflib the native build links, compiled from Debian's source packages
# (scripts/install-deps unpacks them into build/sources/) with the
# cross-compiler, over the MinGW zlib package. Gives the targets PNG::PNG and
# GIF::GIF, as find_package does on Linux.
set(ZIPPIT_CODEC_SOURCES ${PROJECT_SOURCE_DIR}/build/sources CACHE PATH
    "Where scripts/install-deps unpacked the libpng1.6 and giflib source packages")
set(png_source ${ZIPPIT_CODEC_SOURCES}/libpng1.6)
set(gif_source ${ZIPPIT_CODEC_SOURCES}/giflib)
if(NOT EXISTS ${png_source}/png.c OR NOT EXISTS ${gif_source}/egif_lib.c)
  message(FATAL_ERROR "libpng and giflib sources are missing from ${ZIPPIT_CODEC_SOURCES}: run scripts/install-deps")
endif()

# The static zlib, so the tools need no zlib1.dll beside them.
find_library(ZIPPIT_MINGW_ZLIB NAMES libz.a REQUIRED)
find_path(ZIPPIT_MINGW_ZLIB_INCLUDE zlib.h REQUIRED)

# libpng's build-time configuration: the one its sources ship for builds
# without its configure script (the same options as Debian's library).
configure_file(${png_source}/scripts/pnglibconf.h.prebuilt ${CMAKE_BINARY_DIR}/codecs/pnglibconf.h COPYONLY)
add_library(zippit_png STATIC
  ${png_source}/png.c ${png_source}/pngerror.c ${png_source}/pngget.c ${png_source}/pngmem.c
  ${png_source}/pngpread.c ${png_source}/pngread.c ${png_source}/pngrio.c ${png_source}/pngrtran.c
  ${png_source}/pngrutil.c ${png_source}/pngset.c ${png_source}/pngtrans.c ${png_source}/pngwio.c
  ${png_source}/pngwrite.c ${png_source}/pngwtran.c ${png_source}/pngwutil.c)
target_include_directories(zippit_png PUBLIC ${png_source} ${CMAKE_BINARY_DIR}/codecs ${ZIPPIT_MINGW_ZLIB_INCLUDE})
target_link_libraries(zippit_png PUBLIC ${ZIPPIT_MINGW_ZLIB})
add_library(PNG::PNG ALIAS zippit_png)

add_library(zippit_gif STATIC
  ${gif_source}/dgif_lib.c ${gif_source}/egif_lib.c ${gif_source}/gifalloc.c ${gif_source}/gif_err.c
  ${gif_source}/gif_font.c ${gif_source}/gif_hash.c ${gif_source}/openbsd-reallocarray.c ${gif_source}/quantize.c)
target_include_directories(zippit_gif PUBLIC ${gif_source})
add_library(GIF::GIF ALIAS zippit_gif)
