# rozbal.exe, the builder for 64-bit Windows: the same sources as the native
# builder, with the installer's own platform layer (platform/win32) under the
# worker that verify and extract run. Linked statically, so that it needs
# nothing but system DLLs.
find_library(ROZBAL_ZLIB_STATIC libz.a REQUIRED)
add_library(ZLIB::ZLIB INTERFACE IMPORTED)
set_target_properties(ZLIB::ZLIB PROPERTIES INTERFACE_LINK_LIBRARIES ${ROZBAL_ZLIB_STATIC})
# The block decoder of a Windows build links rozbal_inflate, the stubs'
# size-built inflater; the builder has a whole zlib at hand anyway.
add_library(rozbal_inflate INTERFACE)
target_link_libraries(rozbal_inflate INTERFACE ZLIB::ZLIB)
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
add_link_options(-static)

add_subdirectory(platform)
add_subdirectory(archive)
add_subdirectory(extract)
add_subdirectory(tools/rozbal)
set_target_properties(rozbal PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
