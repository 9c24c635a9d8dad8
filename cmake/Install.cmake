# Where `cmake --install` puts the programs, and, on Linux, the desktop files,
# icons, metadata, polkit action and manual page that make them desktop software.
include(GNUInstallDirs)

install(TARGETS vendrel vendrel-cli pellbrook RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The hosts-file helper is started only through pkexec, never by a user's
# command, so it lives with the other programs' internal executables.
if(TARGET vendrel-hosts-writer)
  install(TARGETS vendrel-hosts-writer RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR})
endif()

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_subdirectory(tools/render-icons)
  add_subdirectory(data/linux)
endif()
