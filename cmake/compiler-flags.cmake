# Flags for our own code (third-party code is built without them).
add_library(kub_flags INTERFACE)
target_compile_options(kub_flags INTERFACE -Wall -Wextra -Werror -Wno-missing-field-initializers)
target_include_directories(kub_flags INTERFACE ${PROJECT_SOURCE_DIR})
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 at -O2 and above reports -Wrestrict inside libstdc++'s own string concatenation
  # (a known false positive); it says nothing about our code.
  target_compile_options(kub_flags INTERFACE -Wno-restrict)
endif()

if(KUB_WINDOWS)
  target_compile_definitions(kub_flags INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0601 WINVER=0x0601)
  # Everything links the C++ and GCC run-times and winpthread statically, so the DLL loads into
  # Explorer with nothing beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(KUB_SANITIZE AND NOT KUB_WINDOWS)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KUB_SANITIZE_THREAD AND NOT KUB_WINDOWS)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(KUB_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
