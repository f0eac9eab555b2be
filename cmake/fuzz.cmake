# Fuzz targets for everything that reads bytes from outside (fuzz/*_fuzz.cpp), built with clang's
# libFuzzer and the address and undefined-behaviour sanitizers: cmake --preset fuzz, then
# cmake --build --preset fuzz and, for example, build/fuzz/rtf_reader_fuzz -max_total_time=300.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "the fuzz targets need clang (libFuzzer)")
endif()
# The library code is instrumented for coverage; each target links the fuzzer's main.
target_compile_options(vemkocore PRIVATE -fsanitize=fuzzer-no-link
                       -fsanitize-coverage-ignorelist=${CMAKE_SOURCE_DIR}/fuzz/coverage-ignorelist.txt)
file(GLOB cli_library_sources CONFIGURE_DEPENDS cli/*.cpp)
list(FILTER cli_library_sources EXCLUDE REGEX "/vemkoconv\\.cpp$")
file(GLOB fuzz_sources CONFIGURE_DEPENDS fuzz/*_fuzz.cpp)
add_custom_target(fuzz)
foreach(source ${fuzz_sources})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${VEMKO_WARNINGS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE vemkocore)
  add_dependencies(fuzz ${name})
endforeach()
# vemkoconv's arguments are read by its own files, without its entry.
target_sources(command_line_fuzz PRIVATE ${cli_library_sources})
find_package(Threads REQUIRED)
target_link_libraries(command_line_fuzz PRIVATE Threads::Threads)
