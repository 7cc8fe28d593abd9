# Shared by both MinGW toolchain files; ROZBAL_MINGW_TRIPLE names the target.
# The stub takes the -win32 compiler variants: the -posix ones would pull in
# winpthread, and the stub imports nothing but system DLLs. rozbal.exe needs
# std::thread, so it takes the -posix ones (ROZBAL_MINGW_THREADS=posix) and
# links winpthread in statically.
if(NOT ROZBAL_MINGW_THREADS)
  set(ROZBAL_MINGW_THREADS win32)
endif()
set(CMAKE_C_COMPILER ${ROZBAL_MINGW_TRIPLE}-gcc-${ROZBAL_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${ROZBAL_MINGW_TRIPLE}-g++-${ROZBAL_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${ROZBAL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ROZBAL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Reproducible links: the linker stamps the PE header with the time of the
# link, or with SOURCE_DATE_EPOCH from its environment (and the checksum
# follows the stamp). The stamp is SOURCE_DATE_EPOCH when it is set, 0
# otherwise; the native build hands its value to the Windows builds.
if(NOT DEFINED SOURCE_DATE_EPOCH)
  set(SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
endif()
if(NOT SOURCE_DATE_EPOCH)
  set(SOURCE_DATE_EPOCH 0)
endif()
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_C_LINKER_LAUNCHER})
