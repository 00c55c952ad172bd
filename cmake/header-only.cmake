# CLI11, nlohmann-json and kainjow mustache are header-only Debian packages. The cross compiler
# must not search the host's /usr/include as a whole, so it sees just these through a folder of
# links.
set(kovra_header_only ${CMAKE_BINARY_DIR}/header-only)
foreach(header_dir CLI nlohmann kainjow)
  find_path(kovra_${header_dir}_root ${header_dir} PATHS /usr/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  file(MAKE_DIRECTORY ${kovra_header_only})
  file(CREATE_LINK ${kovra_${header_dir}_root}/${header_dir} ${kovra_header_only}/${header_dir}
       SYMBOLIC)
endforeach()
add_library(kovra_header_only INTERFACE)
target_include_directories(kovra_header_only SYSTEM INTERFACE ${kovra_header_only})
