set(CMAKE_C_COMPILER ${PARLO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PARLO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PARLO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PARLO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Everything statically linked: only Windows system DLLs are needed beside the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
