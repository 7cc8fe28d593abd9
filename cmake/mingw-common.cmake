# Shared by both MinGW toolchain files; ROZBAL_MINGW_TRIPLE names the target.
# The -win32 compiler variants: the -posix ones would pull in winpthread,
# and the stub imports nothing but system DLLs.
set(CMAKE_C_COMPILER ${ROZBAL_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${ROZBAL_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${ROZBAL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ROZBAL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
