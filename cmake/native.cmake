# The native build: portable core, builder, tests, fuzz targets, benchmarks,
# and the two Windows stub builds as external projects of the same tree.
option(ROZBAL_WINDOWS "also build the Windows stubs (MinGW-w64) and their Wine tests" ON)
set(ROZBAL_SANITIZE "" CACHE STRING "sanitizers for the native build: address,undefined or thread")

if(ROZBAL_SANITIZE)
  add_compile_options(-fsanitize=${ROZBAL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${ROZBAL_SANITIZE})
endif()

find_package(ZLIB REQUIRED)
# The stubs' inflater, natively under z_ names beside the system's zlib: its
# test and the decoder benchmark compare the two.
include(${CMAKE_CURRENT_LIST_DIR}/inflate.cmake)
rozbal_add_inflater(rozbal_inflate_prefixed Z_PREFIX)
include(${CMAKE_CURRENT_LIST_DIR}/libdeflate.cmake)
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
enable_testing()

if(ROZBAL_WINDOWS)
  include(ExternalProject)
  # The time stamp of the Windows links (mingw-common.cmake), fixed when this
  # build is configured.
  set(ROZBAL_DATE_EPOCH -DSOURCE_DATE_EPOCH=$ENV{SOURCE_DATE_EPOCH})
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
                 -DCMAKE_BUILD_TYPE=MinSizeRel -DROZBAL_STUB_NAME=${stub_name} ${ROZBAL_DATE_EPOCH}
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON)
    set(ROZBAL_STUB_${arch} ${CMAKE_BINARY_DIR}/stub-${arch}/${stub_name}.exe)
  endforeach()
  # The builder for Windows users, from the same sources; ROZBAL_EXE is its
  # path, for the tests and the Windows package.
  ExternalProject_Add(rozbal-exe
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/rozbal-exe
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-x86_64.cmake
               -DROZBAL_MINGW_THREADS=posix -DROZBAL_BUILDER_EXE=ON -DCMAKE_BUILD_TYPE=Release
               ${ROZBAL_DATE_EPOCH}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(ROZBAL_EXE ${CMAKE_BINARY_DIR}/rozbal-exe/rozbal.exe)
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
