# Cross-compiles for Windows x64 with Debian's mingw-w64 compilers (package
# g++-mingw-w64-x86-64-posix). The "-posix" variant is the one whose C++ runtime has std::thread.
#
#     cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# Test programs run under Wine when it is installed (ctest runs them through the emulator).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QEV_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QEV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QEV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QEV_MINGW_TRIPLET}-windres)

# Headers and libraries come from the target's tree only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${QEV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, through a wrapper that keeps Wine's output out of ctest's pipes.
find_program(QEV_WINE wine)
if(QEV_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
endif()
