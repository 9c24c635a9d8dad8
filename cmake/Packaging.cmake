# `cpack -G DEB` makes one Debian package, vendrel, of everything installed.
# Configure a Release build with -DCMAKE_INSTALL_PREFIX=/usr,
# -DVENDREL_BUILD_TESTS=OFF and -DVENDREL_BUILD_BENCH=OFF (scripts/package does).
set(CPACK_PACKAGE_NAME vendrel)
set(CPACK_PACKAGE_VENDOR "Vendrel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hosts-file editor, its command line and a Safe Mode boot utility")
# CPack indents each line of the description as the control file needs.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Vendrel edits the system's hosts file for people who block advertising and"
  "malware with large hosts lists; vendrel-cli runs its commands from scripts"
  "and scheduled jobs. Pellbrook makes the next start of Windows come up in"
  "Safe Mode and then restarts the computer.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.vendrel.example.org/")
# The package installs where this build was configured to install: the
# polkit action names the helper by that path.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vendrel developers <maintainers@vendrel.example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A user who may not write the hosts file saves it through pkexec.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS pkexec)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
