# Header-only libraries from Debian's packages, for both builds.
#
# The cross compiler must not see /usr/include (glibc's headers would shadow
# MinGW's), so each library's own folder is linked into a folder of the build
# tree and only that folder is put on the include path.
#
#   velpanel::json   nlohmann-json3-dev  <nlohmann/json.hpp>
#   velpanel::cli11  libcli11-dev        <CLI/CLI.hpp>

function(velpanel_header_library target folder header package)
  set(source /usr/include/${folder})
  if(NOT EXISTS ${source}/${header})
    message(FATAL_ERROR "${source}/${header} is missing: install the Debian package ${package} "
                        "(scripts/install-deps.sh does)")
  endif()
  set(root ${CMAKE_BINARY_DIR}/third_party/${target})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${source} ${root}/${folder} SYMBOLIC)
  add_library(velpanel_${target} INTERFACE)
  target_include_directories(velpanel_${target} SYSTEM INTERFACE ${root})
  add_library(velpanel::${target} ALIAS velpanel_${target})
endfunction()

velpanel_header_library(json nlohmann json.hpp nlohmann-json3-dev)
velpanel_header_library(cli11 CLI CLI.hpp libcli11-dev)
