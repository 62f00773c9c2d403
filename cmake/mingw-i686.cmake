# Windows build: the 32-bit programs users get.
set(ZELLORA_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
