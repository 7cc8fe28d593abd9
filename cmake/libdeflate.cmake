# libdeflate, the builder's compressor. The native build uses Debian's
# libdeflate-dev; a MinGW build (rozbal.exe) compiles it from Debian's source
# of the same version, which scripts/setup.sh fetches into the cache named
# here. Either way the target is libdeflate::libdeflate.
if(TARGET libdeflate::libdeflate)
  return()
endif()

if(MINGW)
  include(${CMAKE_CURRENT_LIST_DIR}/package_source.cmake)
  rozbal_package_source(ROZBAL_LIBDEFLATE_SOURCE libdeflate libdeflate.h)
  # The zlib format both ways, no gzip wrapper; the CPU-feature probes pick
  # the fast paths at run time, as in Debian's build.
  set(files utils.c deflate_compress.c deflate_decompress.c adler32.c zlib_compress.c zlib_decompress.c
            x86/cpu_features.c arm/cpu_features.c)
  list(TRANSFORM files PREPEND ${ROZBAL_LIBDEFLATE_SOURCE}/lib/)
  # Built only where something links it: the stubs do not.
  add_library(rozbal_libdeflate STATIC EXCLUDE_FROM_ALL ${files})
  target_include_directories(rozbal_libdeflate SYSTEM PUBLIC ${ROZBAL_LIBDEFLATE_SOURCE})
  target_compile_options(rozbal_libdeflate PRIVATE -O2 -fvisibility=hidden -w)
  add_library(libdeflate::libdeflate ALIAS rozbal_libdeflate)
else()
  find_path(ROZBAL_LIBDEFLATE_INCLUDE libdeflate.h REQUIRED)
  find_library(ROZBAL_LIBDEFLATE_LIBRARY deflate REQUIRED)
  add_library(libdeflate::libdeflate UNKNOWN IMPORTED)
  set_target_properties(libdeflate::libdeflate PROPERTIES IMPORTED_LOCATION ${ROZBAL_LIBDEFLATE_LIBRARY}
                        INTERFACE_INCLUDE_DIRECTORIES ${ROZBAL_LIBDEFLATE_INCLUDE})
endif()
