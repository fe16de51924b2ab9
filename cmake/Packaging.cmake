# The installable package, made from an existing build folder with cpack:
# on Linux a Debian package (cpack -G DEB writes orvane-int_<version>_<arch>.deb)
# whose runtime dependencies are read from the executables (dpkg-shlibdeps),
# so it asks for exactly the libraries the build linked against; on Windows
# an NSIS installer (cpack -G NSIS) carrying the Qt libraries and plugins
# that Qt's deployment step copies beside the program.
set(CPACK_PACKAGE_NAME "orvane-int")
set(CPACK_PACKAGE_VENDOR "${ORVANE_COMPANY}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Halvorn software <help@halvorn.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "reader for boiler and pressure vessel code interpretations")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Searches and shows a read-only database of published interpretations of the\n\
ASME Boiler and Pressure Vessel Code: keyword and paragraph search, the text\n\
with its headings and search words marked, printing with header and footer.\n\
Includes a sample database and the orvane-int-sql and orvane-int-mkdb tools.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.halvorn.example/orvane-int")
set(CPACK_STRIP_FILES ON)
# Only what the install rules name; nothing from the tests or benchmarks.
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")

if(WIN32)
  # Qt's deployment step (windeployqt underneath): Qt's DLLs, the platform and
  # print support plugins, next to orvane-int.exe. The tools use a subset of
  # the same libraries and are installed in the same folder.
  qt_generate_deploy_app_script(TARGET orvane-int OUTPUT_SCRIPT orvane_deploy_script
                                NO_TRANSLATIONS NO_UNSUPPORTED_PLATFORM_ERROR)
  install(SCRIPT ${orvane_deploy_script})
  set(CPACK_GENERATOR "NSIS")
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "${ORVANE_PRODUCT_NAME}")
  set(CPACK_NSIS_DISPLAY_NAME "${ORVANE_PRODUCT_NAME}")
  set(CPACK_NSIS_PACKAGE_NAME "${ORVANE_PRODUCT_NAME} ${PROJECT_VERSION}")
  set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\orvane-int.exe")
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  # A Start menu entry for the program; the tools stay in its folder.
  set(CPACK_PACKAGE_EXECUTABLES "orvane-int;${ORVANE_PRODUCT_NAME}")
  include(CPack)
  return()
endif()

set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Courier and Arial, which the text view and the printed page ask for,
# resolve to these metric-compatible faces.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-urw-base35, fonts-dejavu-core")
include(CPack)
