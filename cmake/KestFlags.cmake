# Flags every target of ours gets: the warnings, as errors with KEST_WERROR (our scripts and CI;
# off by default so a newer compiler's new warning does not stop a user's build), and the
# sanitizers when asked.
add_library(kest_build_flags INTERFACE)
target_compile_options(kest_build_flags INTERFACE -Wall -Wextra -Wpedantic)
if(KEST_WERROR)
  target_compile_options(kest_build_flags INTERFACE -Werror)
endif()

if(KEST_SANITIZE)
  set(KEST_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${KEST_SANITIZER_FLAGS})
  add_link_options(${KEST_SANITIZER_FLAGS})
endif()

if(KEST_BUILD_FUZZ)
  # Everything is instrumented for coverage, so the fuzzers are guided through the library and
  # not only through their own few lines; the fuzz programs add the libFuzzer driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# GCC 12 at -O3 reports -Wrestrict on ordinary std::string concatenation (a false positive fixed
# in GCC 13); with warnings as errors it would break every Release build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(kest_build_flags INTERFACE -Wno-restrict)
endif()
