# expat in its UTF-16 build: XML_Char is unsigned short on every platform.
# Natively Debian's libexpatw; for Windows the static library that scripts/setup builds.
add_library(zellora_expat INTERFACE)
target_compile_definitions(zellora_expat INTERFACE XML_UNICODE)
if(WIN32)
  set(ZELLORA_EXPAT_PREFIX "/opt/zellora/expat-${CMAKE_SYSTEM_PROCESSOR}" CACHE PATH "MinGW build of expat (UTF-16)")
  find_library(ZELLORA_EXPAT_LIBRARY NAMES expatw PATHS ${ZELLORA_EXPAT_PREFIX}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  target_include_directories(zellora_expat INTERFACE ${ZELLORA_EXPAT_PREFIX}/include)
  target_compile_definitions(zellora_expat INTERFACE XML_STATIC)
  target_link_libraries(zellora_expat INTERFACE ${ZELLORA_EXPAT_LIBRARY})
else()
  find_library(ZELLORA_EXPAT_LIBRARY NAMES expatw REQUIRED)
  target_link_libraries(zellora_expat INTERFACE ${ZELLORA_EXPAT_LIBRARY})
endif()
