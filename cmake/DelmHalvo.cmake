# Build rules shared by every folder.
#
#   dh_platform_free_library(name SOURCES ... [LIBS ...])
#       Code without any Windows header; built in both trees. The native tree compiles it
#       with a host compiler, so a Windows include there fails the build.
#   dh_windows_library / dh_windows_program / dh_windows_dll    (Windows tree only)
#   dh_native_test(name SOURCES ... [LIBS ...])        label "native"
#   dh_wine_test(name SOURCES ... [LIBS ...])          label "wine-unit", runs under Wine
#   dh_e2e_test(name SOURCES ... [LIBS ...] [DEPENDS targets])  label "e2e", runs under Wine
#   dh_wine_test_run(name PROGRAM target ...)         one more run of a Windows test program
#   dh_fuzz_target(name SOURCES ... [LIBS ...] [SECONDS n])     native, clang only, label "fuzz"
#   dh_benchmark(name SOURCES ... [LIBS ...])          built only when DH_BENCHMARKS is on
#   dh_avx2_source(file)                               a source of AVX2 kernels
#   dh_fuzz_instrument(target)                         coverage of a library for fuzz targets

option(DH_SANITIZE "Native tree: AddressSanitizer and UndefinedBehaviorSanitizer" ON)
option(DH_BENCHMARKS "Build the benchmarks (use an optimised tree without sanitizers)" OFF)

# Win32 structures are set up as {sizeof(s)} with the rest zero: that is not a fault.
set(DH_WARNINGS -Wall -Wextra -Wno-missing-field-initializers)
set(DH_IS_CLANG OFF)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(DH_IS_CLANG ON)
endif()

if(DH_WINDOWS)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # Every binary carries its own C++ runtime, so bin/ runs as it is under Wine or Windows.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
  if(CMAKE_CROSSCOMPILING)
    # Windows programs built on Linux run under Wine, in the build folder's private world.
    set(DH_WINE_WORLD ${CMAKE_BINARY_DIR}/wine)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${DH_WINE_WORLD})
  endif()
elseif(DH_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# GoogleTest from Debian's sources, compiled for the tree at hand.
set(DH_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${DH_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

function(_dh_target_defaults target)
  target_compile_options(${target} PRIVATE ${DH_WARNINGS})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

function(dh_platform_free_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  _dh_target_defaults(${name})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
endfunction()

function(dh_windows_library name)
  if(NOT DH_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  _dh_target_defaults(${name})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
endfunction()

# A windowed program (wWinMain).
function(dh_windows_program name)
  if(NOT DH_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} WIN32 ${A_SOURCES})
  _dh_target_defaults(${name})
  target_link_options(${name} PRIVATE -municode)
  target_link_libraries(${name} PRIVATE ${A_LIBS})
endfunction()

# A DLL; OUTPUT_NAME may carry another extension (for example "KorvEffect.ax").
function(dh_windows_dll name)
  if(NOT DH_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "" "OUTPUT_NAME;DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${A_SOURCES} ${A_DEF})
  _dh_target_defaults(${name})
  set_target_properties(${name} PROPERTIES PREFIX "")
  if(A_OUTPUT_NAME)
    set_target_properties(${name} PROPERTIES OUTPUT_NAME ${A_OUTPUT_NAME} SUFFIX "")
  endif()
  target_link_libraries(${name} PRIVATE ${A_LIBS})
endfunction()

function(dh_native_test name)
  if(DH_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  _dh_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${A_LIBS} gtest_main gmock)
  add_test(NAME ${name} COMMAND ${name})
  get_filename_component(area ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set_tests_properties(${name} PROPERTIES LABELS "native;in-${area}" TIMEOUT 300)
endfunction()

# Tests under Wine share one prefix, one wineserver and one X display (the "wine" fixture),
# and run one at a time: named objects, window titles and the registry are per prefix.
# Their main() (tests/support/WineTestMain.cpp) makes a processor fault fatal, and
# scripts/wine-test.sh passes a run only with exit status 0, GoogleTest's closing summary
# and no sign of a crash in the output.
function(_dh_wine_test name label timeout)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  _dh_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${A_LIBS} wine_test_main gtest gmock)
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
  endif()
  dh_wine_test_run(${name} PROGRAM ${name} LABEL ${label} TIMEOUT ${timeout})
endfunction()

#   dh_wine_test_run(test-name PROGRAM target [ARGS ...] [ENVIRONMENT ...] [LABEL l]
#                    [TIMEOUT s] [CLOSING regex] [WILL_FAIL])
# One run of a Windows test program in the "wine" fixture, judged by scripts/wine-test.sh.
function(dh_wine_test_run name)
  if(NOT DH_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(A "WILL_FAIL" "PROGRAM;LABEL;TIMEOUT;CLOSING" "ARGS;ENVIRONMENT" ${ARGN})
  if(NOT A_LABEL)
    set(A_LABEL wine-unit)
  endif()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  if(CMAKE_CROSSCOMPILING)
    set(closing "")
    if(A_CLOSING)
      set(closing --closing ${A_CLOSING})
    endif()
    add_test(NAME ${name}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-test.sh ${DH_WINE_WORLD} ${closing}
              $<TARGET_FILE:${A_PROGRAM}> ${A_ARGS})
  else()
    add_test(NAME ${name} COMMAND ${A_PROGRAM} ${A_ARGS})
  endif()
  # A second label names the area (tests/window: "in-window"), as for native tests, so that
  # one area's runs can be picked: ctest -L 'in-window|in-controller'.
  get_filename_component(area ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set_tests_properties(${name} PROPERTIES LABELS "${A_LABEL};in-${area}" TIMEOUT ${A_TIMEOUT}
    FIXTURES_REQUIRED wine RESOURCE_LOCK wine)
  if(A_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${A_ENVIRONMENT}")
  endif()
  if(A_WILL_FAIL)
    set_tests_properties(${name} PROPERTIES WILL_FAIL TRUE)
  endif()
endfunction()

function(dh_wine_test name)
  if(DH_WINDOWS)
    _dh_wine_test(${name} wine-unit 300 ${ARGN})
  endif()
endfunction()

function(dh_e2e_test name)
  if(DH_WINDOWS)
    _dh_wine_test(${name} e2e 600 ${ARGN})
  endif()
endfunction()

# A source of SIMD kernels built for AVX2. GCC for Win64 cannot align the stack to 32 bytes:
# the assembler writes unaligned vector moves there, so spilled AVX registers never fault.
function(dh_avx2_source file)
  if(DH_WINDOWS)
    set_property(SOURCE ${file} APPEND PROPERTY COMPILE_OPTIONS "-mavx2;-Wa,-muse-unaligned-vector-move")
  else()
    set_property(SOURCE ${file} APPEND PROPERTY COMPILE_OPTIONS "-mavx2")
  endif()
endfunction()

# A fuzz target sees coverage only of instrumented code: a library it exercises is
# instrumented in the sanitized native tree (the sanitizer runtime provides the hooks in
# ordinary tests).
function(dh_fuzz_instrument target)
  if(DH_IS_CLANG AND NOT DH_WINDOWS AND DH_SANITIZE AND NOT DH_BENCHMARKS)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# libFuzzer target; ctest runs it for SECONDS (default 15) on its corpus folder, if any.
function(dh_fuzz_target name)
  if(DH_WINDOWS OR NOT DH_IS_CLANG OR DH_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(A "" "SECONDS;CORPUS" "SOURCES;LIBS" ${ARGN})
  if(NOT A_SECONDS)
    set(A_SECONDS 15)
  endif()
  add_executable(${name} ${A_SOURCES})
  _dh_target_defaults(${name})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  set(work ${CMAKE_BINARY_DIR}/fuzz/${name})
  set(corpus_args "")
  if(A_CORPUS)
    set(corpus_args ${A_CORPUS})
  endif()
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
            $<TARGET_FILE:${name}> -max_total_time=${A_SECONDS} -timeout=10 -rss_limit_mb=2048
            -artifact_prefix=${work}/ ${work}/corpus ${corpus_args})
  file(MAKE_DIRECTORY ${work}/corpus)
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()

function(dh_benchmark name)
  if(NOT DH_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  _dh_target_defaults(${name})
  if(DH_WINDOWS)
    target_link_libraries(${name} PRIVATE ${A_LIBS})
  else()
    find_package(benchmark REQUIRED)
    target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark)
  endif()
endfunction()
