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
