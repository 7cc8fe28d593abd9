# zlib's inflate side, compiled from Debian's source of zlib for size (the
# prebuilt static library brings whole objects: gzip, crc32, deflate's
# tables). scripts/setup.sh fetches the source into the cache named here.
if(DEFINED ENV{XDG_CACHE_HOME})
  set(cache_home $ENV{XDG_CACHE_HOME})
else()
  set(cache_home $ENV{HOME}/.cache)
endif()
set(ROZBAL_ZLIB_SOURCE ${cache_home}/rozbal/zlib/source CACHE PATH "zlib's source (scripts/setup.sh fetches it)")
if(NOT EXISTS ${ROZBAL_ZLIB_SOURCE}/inflate.c)
  message(FATAL_ERROR "no zlib source in ${ROZBAL_ZLIB_SOURCE}: run scripts/setup.sh")
endif()

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
