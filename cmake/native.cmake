# The native build: portable core, builder, tests, fuzz targets, benchmarks,
# and the two Windows stub builds as external projects of the same tree.
option(ROZBAL_WINDOWS "also build the Windows stubs (MinGW-w64) and their Wine tests" ON)
set(ROZBAL_SANITIZE "" CACHE STRING "sanitizers for the native build: address,undefined or thread")

if(ROZBAL_SANITIZE)
  add_compile_options(-fsanitize=${ROZBAL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${ROZBAL_SANITIZE})
endif()

find_package(ZLIB REQUIRED)
include(cmake/libdeflate.cmake)
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
enable_testing()

# The zlib the stubs carry, as rozbal --version reports it: the version in
# the zlib.h their build compiles against.
set(ROZBAL_STUB_ZLIB_H /usr/i686-w64-mingw32/include/zlib.h CACHE FILEPATH "the zlib.h of the stub build")
if(EXISTS ${ROZBAL_STUB_ZLIB_H})
  file(STRINGS ${ROZBAL_STUB_ZLIB_H} zlib_version REGEX "^#define ZLIB_VERSION ")
  string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" ROZBAL_STUB_ZLIB_VERSION "${zlib_version}")
else()
  set(ROZBAL_STUB_ZLIB_VERSION unknown)
endif()

if(ROZBAL_WINDOWS)
  include(ExternalProject)
  foreach(arch i686 x86_64)
    if(arch STREQUAL i686)
      set(stub_name rozbal-stub)
    else()
      set(stub_name rozbal-stub64)
    endif()
    ExternalProject_Add(stub-${arch}
      SOURCE_DIR ${CMAKE_SOURCE_DIR}
      BINARY_DIR ${CMAKE_BINARY_DIR}/stub-${arch}
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
                 -DCMAKE_BUILD_TYPE=MinSizeRel -DROZBAL_STUB_NAME=${stub_name}
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON)
    set(ROZBAL_STUB_${arch} ${CMAKE_BINARY_DIR}/stub-${arch}/${stub_name}.exe)
  endforeach()
endif()

add_subdirectory(platform)
add_subdirectory(archive)
add_subdirectory(extract)
add_subdirectory(shell)
add_subdirectory(resources)
add_subdirectory(tools/rozbal)
add_subdirectory(tools/clipgen)
add_subdirectory(tests)
add_subdirectory(bench/decoder)
add_subdirectory(bench/support)
add_subdirectory(bench/pack)
add_subdirectory(bench/extract)
include(cmake/package.cmake)
# libFuzzer targets need clang; under ThreadSanitizer they are left out.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND NOT ROZBAL_SANITIZE MATCHES thread)
  add_subdirectory(fuzz)
endif()
