# The Debian package, made from an existing build folder with
#   cpack -G DEB        (writes orvane-int_<version>_<arch>.deb)
# Its runtime dependencies are read from the executables (dpkg-shlibdeps),
# so the package asks for exactly the Qt and SQLite libraries the build
# linked against.
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
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Courier and Arial, which the text view and the printed page ask for,
# resolve to these metric-compatible faces.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-urw-base35, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
# Only what the install rules name; nothing from the tests or benchmarks.
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")
include(CPack)
