# Every dependency comes from Debian's packages (scripts/setup.sh installs them).
find_package(Threads REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(pugixml CONFIG REQUIRED)
find_package(fmt CONFIG REQUIRED)
find_package(CLI11 CONFIG REQUIRED)
find_package(nlohmann_json CONFIG REQUIRED)
# The web console's HTTP server; Debian builds it as a library, described by pkg-config.
find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

# Standalone Asio is header-only and ships no CMake package.
find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
add_library(kest_asio INTERFACE)
target_include_directories(kest_asio SYSTEM INTERFACE ${ASIO_INCLUDE_DIR})
target_compile_definitions(kest_asio INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)
target_link_libraries(kest_asio INTERFACE Threads::Threads)

if(KEST_BUILD_TESTS)
  find_package(GTest CONFIG REQUIRED)
endif()
if(KEST_BUILD_BENCH)
  find_package(benchmark CONFIG REQUIRED)
endif()
