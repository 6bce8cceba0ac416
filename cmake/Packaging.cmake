# The Debian package: `make package` (cpack -G DEB in the build folder) writes
# tessaview_<version>_<arch>.deb with the programs, the simulator, the desktop
# entry, the log file type, the icons and the manual pages.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaview)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tessaview U developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "analysis tool for USB temperature and humidity data loggers")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tessaview.example.org")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tessaview U developers <tessaview@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tessaview U finds a USB data logger's serial port, reads and writes its
setup, sets its clock, downloads and erases its records and saves every
download as a .logu file. Logs are shown as a chart with maximum, minimum
and average, and as a record list; they can be zoomed, narrowed to a date
range, printed as a one-page report and exported as text, Excel workbooks
and pictures.

The package holds the desktop program tessaview, the command-line companion
tessaview-cli and a logger simulator for the program's demo mode.")
# The libraries come from dpkg-shlibdeps (Qt's X11 and offscreen plugins come
# with its Gui library); a font is named here, without one every text is a box.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core | fonts-freefont-ttf | fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")

include(CPack)
