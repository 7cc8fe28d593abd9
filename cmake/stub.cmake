# The Windows stub: no C or C++ run-time at all (platform/win32/runtime.cpp
# has the few functions the code and the compiler call, the entry point is
# our own), zlib's inflate side built from source, nothing imported but
# system DLLs.
set(ROZBAL_STUB_NAME rozbal-stub CACHE STRING "file name of the stub executable")
# No -fdata-sections: this compiler then gives zero-initialised variables
# sections of their own that take room in the file instead of in .bss.
# -fno-ident: no compiler version string in .rdata for each object.
add_compile_options(-Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                    -ffunction-sections -fno-ident)
# libgcc at the very end of every link line: the stub links no C run-time,
# and a frame over a page anywhere calls libgcc's stack probe.
string(APPEND CMAKE_CXX_STANDARD_LIBRARIES " -lgcc")
include(${CMAKE_CURRENT_LIST_DIR}/inflate.cmake)
rozbal_add_inflater(rozbal_inflate)

# The stub's linker script: the linker's own, edited by sections.sed.
execute_process(
  COMMAND sh -c "${ROZBAL_MINGW_TRIPLE}-ld --verbose | sed -n '/^=====/,/^=====/{/^=====/d;p}' | sed -f '${CMAKE_CURRENT_LIST_DIR}/sections.sed'"
  OUTPUT_FILE ${CMAKE_BINARY_DIR}/stub.ld COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/sections.sed)
set(ROZBAL_STUB_LINKER_SCRIPT ${CMAKE_BINARY_DIR}/stub.ld)

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
