# zlib's inflate side, compiled from Debian's source of zlib for size (the
# prebuilt static library brings whole objects: gzip, crc32, deflate's
# tables). scripts/setup.sh fetches the source into the cache named here.
include(${CMAKE_CURRENT_LIST_DIR}/package_source.cmake)
rozbal_package_source(ROZBAL_ZLIB_SOURCE zlib inflate.c)

# The zlib the stubs carry, as rozbal --version reports it: the version in
# the zlib.h of this source.
file(STRINGS ${ROZBAL_ZLIB_SOURCE}/zlib.h zlib_version REGEX "^#define ZLIB_VERSION ")
string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" ROZBAL_STUB_ZLIB_VERSION "${zlib_version}")

# rozbal_add_inflater(NAME [definitions...]): a static library of the files
# uncompress needs and nothing more. No gzip wrapper; the fixed Huffman
# tables are built once at run time instead of taking 2 KB of the file.
function(rozbal_add_inflater name)
  set(files inflate.c inftrees.c inffast.c adler32.c zutil.c uncompr.c)
  list(TRANSFORM files PREPEND ${ROZBAL_ZLIB_SOURCE}/)
  add_library(${name} STATIC ${files})
  target_include_directories(${name} SYSTEM PUBLIC ${ROZBAL_ZLIB_SOURCE})
  target_compile_definitions(${name} PRIVATE NO_GZIP BUILDFIXED ${ARGN})
  target_compile_options(${name} PRIVATE -Os -ffunction-sections -w)
endfunction()
