# The version that both programs print comes from project(VERSION) alone: this writes
# it into a header in the build tree, and brambex_version carries that header's folder.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${PROJECT_BINARY_DIR}/generated/brambex_version.h @ONLY)
add_library(brambex_version INTERFACE)
target_include_directories(brambex_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
