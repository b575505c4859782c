# `cpack` in the build directory (or scripts/package) makes the Debian package.
if(NOT UNIX OR APPLE)
  return()
endif()

set(KELVANE_PACKAGE_MAINTAINER "Kelvane developers <maintainers@kelvane.github.io>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kelvane developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Install trees made under a restrictive umask would otherwise carry it into the package.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KELVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kelvane.github.io/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own Chinese texts, for its buttons and dialogs beside the tool's.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configuration tool for Ostrel CAN-bus/serial protocol converters")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kelvane reads, edits and writes the parameters of Ostrel protocol converters,
which join a CAN bus to an RS-232, RS-485 or RS-422 serial line: CAN bit rate,
identifiers and acceptance filtering, serial line settings and conversion mode.
.
The package holds the window (kelvane), a command-line front end for scripted
provisioning (kelvane-cli) and a converter simulator on a pseudo-terminal
(ostrel-sim) for trying the tool without hardware.")

# cpack installs what is built: making the package must not build the tests
# and benches too (scripts/package builds the programs it packages).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

include(CPack)
