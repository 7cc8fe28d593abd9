# The Windows stub: no C++ run-time (no exceptions, RTTI or standard
# library), zlib and libgcc linked in statically, nothing imported but
# system DLLs. Each folder adds its stub sources to rozbal_stub_sources.
set(ROZBAL_STUB_NAME rozbal-stub CACHE STRING "file name of the stub executable")
add_compile_options(-Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                    -ffunction-sections -fdata-sections)
find_library(ROZBAL_ZLIB_STATIC libz.a REQUIRED)

add_subdirectory(platform)
add_subdirectory(archive)
add_subdirectory(extract)
add_subdirectory(shell)
add_subdirectory(resources)

# Windows-side test programs (the UI driver, dialog host, recording setup
# program), declared one line each in tests/windows/CMakeLists.txt.
add_subdirectory(tests/windows)

# windres reports no dependencies: rebuild the resources wherever rozbal.rc
# is compiled when a file it reads changes.
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/rozbal.rc
  DIRECTORY ${CMAKE_SOURCE_DIR}/shell ${CMAKE_SOURCE_DIR}/tests/windows
  PROPERTIES OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/animation.avi;${CMAKE_SOURCE_DIR}/resources/texts.h;${CMAKE_SOURCE_DIR}/resources/resource.h")
