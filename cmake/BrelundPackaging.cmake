# Debian packages through CPack: `cpack -G DEB` in a build folder makes one package per install
# component (BrelundInstall.cmake):
#   libbrelund-core1 libbrelund-common1 libbrelund-forms1 libbrelund-headless1 libbrelund-qt1
#                     one run-time package per shared library, named after its SONAME
#   libbrelund-dev    headers, CMake package and pkg-config files of the headless side
#   libbrelund-qt-dev the Qt widget's header, CMake and pkg-config files, the Designer plugin
#   brelund-tools     boton, its manual page and shell completion (no Qt)
#   brelund-qt-tools  boton-qt and the Qt trace helper
#   brelund-doc       the form format, its JSON Schema and the trace language
# Each has its copyright and Debian changelog, computed library dependencies (dpkg-shlibdeps),
# a shlibs file and an ldconfig trigger for the libraries, stripped files and -dbgsym packages
# with their debug symbols. tests/packaging/lintian.sh checks them.
set(BRELUND_DEB_RELEASE 1)
set(BRELUND_DEB_VERSION ${PROJECT_VERSION}-${BRELUND_DEB_RELEASE})
set(BRELUND_DEB_VERSION_DEP "(= ${BRELUND_DEB_VERSION})")
set(BRELUND_MAINTAINER "The Brelund developers <brelund-devel@lists.brelund.org>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brelund)
set(CPACK_PACKAGE_VENDOR "Brelund")
set(CPACK_PACKAGE_CONTACT "${BRELUND_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Boton, a shaded 3-D push button control")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BRELUND_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BRELUND_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://brelund.org/")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries, for dpkg-shlibdeps to find while the packages are being made; the
# dependencies between our packages are named below, with their exact version.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR} ${PROJECT_BINARY_DIR}/host/qt)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Debug symbols need a build with them (RelWithDebInfo, Debug); then they go to -dbgsym packages.
# Either way the packaged files are stripped: by the debug split, or at installation.
if(CMAKE_BUILD_TYPE MATCHES "^(RelWithDebInfo|Debug)$")
  set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
else()
  set(CPACK_STRIP_FILES ON)
endif()

set(BRELUND_DEB_TEXT "Brelund is a C++20 library with one control, Boton: a push button with
a shaded, three-dimensional face, rounded corners that let clicks through,
hover and press looks, keyboard default and cancel behaviour and saved
properties.")

set(BRELUND_DEB_COMPONENTS)
# component package section architecture-independent? summary description-paragraph
function(brelund_deb component package section summary text)
  string(TOUPPER ${component} C)
  set(CPACK_DEBIAN_${C}_PACKAGE_NAME ${package} PARENT_SCOPE)
  set(CPACK_DEBIAN_${C}_PACKAGE_SECTION ${section} PARENT_SCOPE)
  set(CPACK_COMPONENT_${C}_DESCRIPTION "${summary}\n${BRELUND_DEB_TEXT}\n.\n${text}" PARENT_SCOPE)
  list(APPEND BRELUND_DEB_COMPONENTS ${component})
  set(BRELUND_DEB_COMPONENTS ${BRELUND_DEB_COMPONENTS} PARENT_SCOPE)
  # The copyright and the Debian changelog of each package: only packages carry them, so a
  # plain `cmake --install` leaves them out.
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endfunction()

set(BRELUND_DEB_CHANGELOG ${PROJECT_BINARY_DIR}/debian/changelog)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${BRELUND_DEB_CHANGELOG} @ONLY)
execute_process(COMMAND gzip -9nc ${BRELUND_DEB_CHANGELOG}
  OUTPUT_FILE ${BRELUND_DEB_CHANGELOG}.Debian.gz RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot compress ${BRELUND_DEB_CHANGELOG}")
endif()

set(M ${PROJECT_VERSION_MAJOR})
set(lib_core libbrelund-core${M})
set(lib_common libbrelund-common${M})
set(lib_forms libbrelund-forms${M})
set(lib_headless libbrelund-headless${M})
set(lib_qt libbrelund-qt${M})
set(V " ${BRELUND_DEB_VERSION_DEP}")

foreach(lib core common forms headless)
  brelund_deb(${lib} libbrelund-${lib}${M} libs "Boton push button control - ${lib} library"
    "This package holds the shared library libbrelund_${lib}.")
  string(TOUPPER ${lib} L)
  set(CPACK_DEBIAN_${L}_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
endforeach()
set(CPACK_COMPONENT_CORE_DESCRIPTION
  "Boton push button control - core library\n${BRELUND_DEB_TEXT}\n.\nThis package holds the portable core: the control, its drawing, shape\nand input.")
set(CPACK_COMPONENT_HEADLESS_DESCRIPTION
  "Boton push button control - headless host library\n${BRELUND_DEB_TEXT}\n.\nThis package holds the headless host: a software raster with FreeType captions\nthat draws buttons and forms to PNG images without a display.")
set(CPACK_DEBIAN_COMMON_PACKAGE_DEPENDS "${lib_core}${V}")
set(CPACK_DEBIAN_FORMS_PACKAGE_DEPENDS "${lib_common}${V}, ${lib_core}${V}")
set(CPACK_DEBIAN_HEADLESS_PACKAGE_DEPENDS "${lib_forms}${V}, ${lib_common}${V}, ${lib_core}${V}, fonts-dejavu-core")

brelund_deb(dev libbrelund-dev libdevel "Boton push button control - development files"
  "This package holds the headers, the CMake package (components Core and\nHeadless) and the pkg-config files brelund-core and brelund-headless.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
  "${lib_core}${V}, ${lib_common}${V}, ${lib_forms}${V}, ${lib_headless}${V}")

brelund_deb(tools brelund-tools graphics "Boton push button control - command line tool"
  "This package holds boton, which draws form files to PNG images, checks and\nresaves them, and drives a button through a trace script.")
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${lib_headless}${V}, ${lib_forms}${V}, ${lib_common}${V}, ${lib_core}${V}")
set(CPACK_DEBIAN_TOOLS_PACKAGE_SUGGESTS "brelund-doc")

brelund_deb(doc brelund-doc doc "Boton push button control - documentation"
  "This package holds the description of form files with their JSON Schema and of\nthe trace language.")
set(CPACK_DEBIAN_DOC_PACKAGE_ARCHITECTURE all)
# Nothing to compute for text.
set(CPACK_DEBIAN_DOC_PACKAGE_SHLIBDEPS OFF)

if(BRELUND_WITH_QT)
  brelund_deb(qt ${lib_qt} libs "Boton push button control - Qt 6 widget library"
    "This package holds BotonWidget, the control as a Qt 6 QPushButton.")
  set(CPACK_DEBIAN_QT_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
  set(CPACK_DEBIAN_QT_PACKAGE_DEPENDS "${lib_forms}${V}, ${lib_common}${V}, ${lib_core}${V}")
  brelund_deb(qtdev libbrelund-qt-dev libdevel "Boton push button control - Qt 6 development files"
    "This package holds the Qt widget's headers, the CMake package component Qt, the\npkg-config file brelund-qt and the Qt Designer plugin.")
  set(CPACK_DEBIAN_QTDEV_PACKAGE_DEPENDS "libbrelund-dev${V}, ${lib_qt}${V}, qt6-base-dev")
  brelund_deb(qttools brelund-qt-tools graphics "Boton push button control - Qt tools"
    "This package holds boton-qt, which shows a form file in a window, and the\nhelper that runs trace scripts on the Qt widget (boton trace --host qt).")
  set(CPACK_DEBIAN_QTTOOLS_PACKAGE_DEPENDS "brelund-tools${V}, ${lib_qt}${V}, ${lib_forms}${V}, ${lib_common}${V}, ${lib_core}${V}")
endif()
set(CPACK_COMPONENTS_ALL ${BRELUND_DEB_COMPONENTS})
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian/drop_ldconfig_scripts.cmake)
include(CPack)
