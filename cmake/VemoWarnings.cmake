# vemo_warnings: the compiler warnings every Vemo target is built with. An interface target, so a
# target opts in with `target_link_libraries(<target> PRIVATE vemo_warnings)`; the layer libraries
# link it PUBLIC, so every program and test built on a layer (vemo-cli, the GUI, tests, benchmarks)
# gets the same warnings. -Werror is added for the whole build by VEMO_WERROR.
#   -Wshadow           a local that hides a member or an outer local is a frequent slip in the
#                      ported code, whose members and locals share names
#   -Wnon-virtual-dtor classes are deleted through base pointers (threads, hosts, file systems)
#   -Wformat=2         the formatter takes printf-style formats; a non-literal one must be a choice
add_library(vemo_warnings INTERFACE)
target_compile_options(vemo_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wformat=2 $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
