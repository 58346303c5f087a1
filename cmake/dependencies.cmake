# The text generator (cmake/generate-texts.py) runs on the build machine.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Third-party libraries: Debian's packages natively, our static mingw builds for Windows
# (scripts/build-mingw-deps.sh installs them into KUB_DEPS_PREFIX).
if(KUB_WINDOWS)
  set(KUB_DEPS_PREFIX "${PROJECT_SOURCE_DIR}/.deps/mingw64" CACHE PATH "mingw builds of libbz2 and liblzma")
  foreach(lib bz2 lzma)
    if(NOT EXISTS "${KUB_DEPS_PREFIX}/lib/lib${lib}.a")
      message(FATAL_ERROR "missing ${KUB_DEPS_PREFIX}/lib/lib${lib}.a: run scripts/build-mingw-deps.sh")
    endif()
  endforeach()
  add_library(kub_bz2 STATIC IMPORTED GLOBAL)
  set_target_properties(kub_bz2 PROPERTIES IMPORTED_LOCATION "${KUB_DEPS_PREFIX}/lib/libbz2.a"
                                           INTERFACE_INCLUDE_DIRECTORIES "${KUB_DEPS_PREFIX}/include")
  add_library(kub_lzma STATIC IMPORTED GLOBAL)
  set_target_properties(kub_lzma PROPERTIES IMPORTED_LOCATION "${KUB_DEPS_PREFIX}/lib/liblzma.a"
                                            INTERFACE_INCLUDE_DIRECTORIES "${KUB_DEPS_PREFIX}/include"
                                            INTERFACE_COMPILE_DEFINITIONS LZMA_API_STATIC)

  # GoogleTest from Debian's sources, built with the cross compiler.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)  # defines GTest::gtest, GTest::gtest_main, GTest::gmock
else()
  find_package(BZip2 REQUIRED)
  find_package(LibLZMA REQUIRED)
  add_library(kub_bz2 ALIAS BZip2::BZip2)
  add_library(kub_lzma ALIAS LibLZMA::LibLZMA)
  find_package(GTest REQUIRED)
  if(KUB_BENCH)
    find_package(benchmark REQUIRED)
    find_package(ZLIB REQUIRED)
  endif()
endif()
