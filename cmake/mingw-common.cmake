# The -posix compilers: the -win32 thread model lacks std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${VAM_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VAM_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VAM_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VAM_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Everything that runs on Windows is linked statically: no MinGW DLLs beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# 64-bit test programs run here under Wine; 32-bit ones cannot run on this kernel.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
endif()
