# rozbal.exe, the builder for 64-bit Windows: the same sources as the native
# builder, with the installer's own platform layer (platform/win32) under the
# worker that verify and extract run. Linked statically, so that it needs
# nothing but system DLLs.
include(${CMAKE_CURRENT_LIST_DIR}/inflate.cmake)  # for the stubs' zlib version
include(${CMAKE_CURRENT_LIST_DIR}/libdeflate.cmake)
# Its block decoder decodes with libdeflate, as the Linux builder's does,
# where the stubs link rozbal_inflate, their size-built zlib.
add_library(rozbal_inflate INTERFACE)
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
target_link_libraries(rozbal_inflate INTERFACE libdeflate::libdeflate Threads::Threads)
target_compile_definitions(rozbal_inflate INTERFACE ROZBAL_INFLATE_LIBDEFLATE)
add_link_options(-static)

add_subdirectory(platform)
add_subdirectory(archive)
add_subdirectory(extract)
add_subdirectory(tools/rozbal)
set_target_properties(rozbal PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
