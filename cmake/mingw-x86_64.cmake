# The 64-bit twin of the Windows build: the same sources for x86-64, so that the Windows
# tests run under Wine on machines that run no 32-bit programs. What users get is the
# 32-bit build (mingw-i686.cmake).
set(ZELLORA_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
