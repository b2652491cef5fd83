# What an installation holds beside the programs (their install rules sit
# with their targets), and the Debian package of it all: make package runs
# cpack -G DEB in the build folder, which writes helmax_<version>_amd64.deb.
#
# Where the project is published: the AppStream data link the home page and
# the screenshots below it (<home page>/docs/*.png, the README's pictures).
set(HELMAX_HOMEPAGE "https://helmax.example" CACHE STRING "The project's home page (AppStream, copyright)")
set(HELMAX_APPSTREAM_ID "example.helmax.Calculator" CACHE STRING "The AppStream component id (reverse DNS of the home page)")
set(HELMAX_MAINTAINER "Helmax maintainers <maintainers@users.noreply.c-seed-22bd3647.example>"
    CACHE STRING "The package's maintainer")
# The date of this version, in the AppStream data and the package's changelog.
set(HELMAX_RELEASE_DATE 2026-12-11)
set(HELMAX_RELEASE_DATE_RFC2822 "Fri, 11 Dec 2026 00:00:00 +0000")

include(GNUInstallDirs)
set(packaging_dir ${CMAKE_BINARY_DIR}/packaging)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/helmax)

# The machine-readable copyright; its presence beside bin/ also tells the
# programs that they are installed (src/platform/ProgramFolder.h).
configure_file(${PROJECT_SOURCE_DIR}/data/copyright.in ${packaging_dir}/copyright @ONLY)
install(FILES ${packaging_dir}/copyright DESTINATION ${doc_dir})

configure_file(${PROJECT_SOURCE_DIR}/data/helmax-calc.metainfo.xml.in
               ${packaging_dir}/${HELMAX_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${packaging_dir}/${HELMAX_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${PROJECT_SOURCE_DIR}/data/helmax-eval.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME helmax-eval)

# The man pages and the changelog, compressed as Debian keeps them (gzip -n:
# no name or time stamp, so the same sources give the same package).
find_program(HELMAX_GZIP gzip REQUIRED)
set(compressed_docs)
foreach(page helmax-calc.1 helmax-eval.1)
  configure_file(${PROJECT_SOURCE_DIR}/man/${page} ${packaging_dir}/${page} @ONLY)
  list(APPEND compressed_docs ${page})
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.in ${packaging_dir}/changelog @ONLY)
list(APPEND compressed_docs changelog)
set(compressed_files)
foreach(doc IN LISTS compressed_docs)
  add_custom_command(OUTPUT ${packaging_dir}/${doc}.gz
    COMMAND ${HELMAX_GZIP} -9 -n -c ${doc} > ${doc}.gz
    DEPENDS ${packaging_dir}/${doc}
    WORKING_DIRECTORY ${packaging_dir})
  list(APPEND compressed_files ${packaging_dir}/${doc}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed_files})
install(FILES ${packaging_dir}/helmax-calc.1.gz ${packaging_dir}/helmax-eval.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_dir}/changelog.gz DESTINATION ${doc_dir})

# The Debian package. Depends comes from dpkg-shlibdeps over the programs;
# Recommends names what they load at run time instead of linking: the
# embedded Firebird engine (Firebird rates files) and Qt's SVG image plugin
# (the icon).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME helmax)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${HELMAX_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${HELMAX_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "firebird3.0-server-core, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "scientific, engineering and money calculator")
# The long description; CPack puts the summary above it, indents its lines
# and turns the empty one into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Helmax is a desktop calculator that re-evaluates on every keystroke:
expressions over real, complex, currency, boolean, date-time and null
values, with variables, functions defined at run time and about a hundred
built-in functions, plus packs of date, finance, statistics, Bessel and
probability distribution functions.

Its windows add constants libraries, a function table with its chart and
spreadsheet export, symbolic differentiation, numerical integration,
linear systems, interpolation, currency exchange over Firebird and Access
rates databases, unit conversion and the periodic table. helmax-eval is
the same calculator on the command line.")
include(CPack)
