# SPDX-License-Identifier: GPL-3.0-or-later
# `make package`: a Debian package of what the install step lays out, built with prefix /usr so the
# unit, the sleep hook and the polkit action land where systemd and polkit read them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tachyon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tachyon developers")
set(CPACK_PACKAGE_CONTACT ${TACHYON_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tune the clocks, power limit and fan curve of AMD graphics cards")
# The long description, wrapped for the package tools' 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Tachyon is a small desktop utility for tuning AMD graphics cards through the\n"
  "kernel's amdgpu driver. One window shows a card's engine and memory clocks,\n"
  "voltage, power limit and fan curve as the driver reports them, sends changes\n"
  "and reads them back, and keeps the values in a profile.\n"
  ".\n"
  "Changes from a normal session go through a small privileged writer after one\n"
  "administrator authentication; a system service applies saved profiles again\n"
  "at boot and after resume. The tachyon-demo command starts the same program on\n"
  "a simulated machine.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(TACHYON_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TACHYON_HOMEPAGE})
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries come from the binaries themselves (dpkg-shlibdeps). By hand only what is loaded
# or run without being linked: the toolkit's platform plugins (without one there is no window),
# pkexec for changes without root, and libdrm's list of the cards' marketing names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec, libdrm-common")
# Our own maintainer scripts, which also keep CPack from adding ldconfig calls: the runtimes live
# in a private folder that the loader's cache never holds.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst ${CMAKE_CURRENT_LIST_DIR}/prerm
  ${CMAKE_CURRENT_LIST_DIR}/postrm)
include(CPack)
