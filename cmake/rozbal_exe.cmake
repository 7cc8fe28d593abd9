# rozbal.exe, the builder for 64-bit Windows: the same sources as the native
# builder, with the installer's own platform layer (platform/win32) under the
# worker that verify and extract run. Linked statically, so that it needs
# nothing but system DLLs.
# The archive's own decoder links the stubs' zlib; the builder puts its
# libdeflate batch decoder in its place (tools/rozbal/batch_decoder.h).
include(${CMAKE_CURRENT_LIST_DIR}/inflate.cmake)
rozbal_add_inflater(rozbal_inflate)
include(${CMAKE_CURRENT_LIST_DIR}/libdeflate.cmake)
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
add_link_options(-static)

add_subdirectory(platform)
add_subdirectory(archive)
add_subdirectory(extract)
add_subdirectory(tools/rozbal)
set_target_properties(rozbal PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
