# Installs the library for applications outside this tree, as package components that each find
# only their own dependencies:
#   Core      Brelund::Core, Brelund::Common   the control and the plumbing every host shares
#   Headless  Brelund::Headless (+ Forms)      the software host, form files and PNG
#   Qt        Brelund::Qt (+ Forms)            the Qt 6 widget
# A pkg-config file per component (brelund-core, brelund-headless, brelund-qt), the CLI tools in
# bin/, and CPack settings for Debian packages: the run-time libraries, the development files and
# the tools.
include(CMakePackageConfigHelpers)

set(BRELUND_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Brelund)
set_target_properties(brelund_core PROPERTIES EXPORT_NAME Core)
set_target_properties(brelund_common PROPERTIES EXPORT_NAME Common)
set_target_properties(brelund_forms PROPERTIES EXPORT_NAME Forms)
set_target_properties(brelund_headless PROPERTIES EXPORT_NAME Headless)

# Installed tools find the libraries next to them, wherever the prefix is.
set_target_properties(boton PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

function(brelund_install_export name package_component)
  install(TARGETS ${ARGN} EXPORT Brelund${name}Targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${package_component}
      NAMELINK_COMPONENT dev
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(EXPORT Brelund${name}Targets NAMESPACE Brelund:: FILE Brelund${name}Targets.cmake
    DESTINATION ${BRELUND_CMAKE_DIR} COMPONENT dev)
endfunction()

brelund_install_export(Core libs brelund_core brelund_common)
brelund_install_export(Forms libs brelund_forms)
brelund_install_export(Headless libs brelund_headless)
install(TARGETS boton RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
set(BRELUND_WITH_QT OFF)
if(TARGET brelund_qt)
  set(BRELUND_WITH_QT ON)
  brelund_install_export(Qt qt brelund_qt)
  set_target_properties(boton-qt PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  install(TARGETS boton-qt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/brelund DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT dev FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/brelund/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brelund COMPONENT dev)
# With static libraries an application links what ours link privately, so the package config
# must find those too; shared libraries carry them themselves.
get_target_property(brelund_core_type brelund_core TYPE)
if(brelund_core_type STREQUAL "STATIC_LIBRARY")
  set(BRELUND_STATIC ON)
else()
  set(BRELUND_STATIC OFF)
endif()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/BrelundConfig.cmake.in
  ${PROJECT_BINARY_DIR}/BrelundConfig.cmake INSTALL_DESTINATION ${BRELUND_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/BrelundConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/BrelundConfig.cmake ${PROJECT_BINARY_DIR}/BrelundConfigVersion.cmake
  DESTINATION ${BRELUND_CMAKE_DIR} COMPONENT dev)

# pkg-config: one file per component. Static builds list the private dependencies too.
# The prefix is found from the file's own place, so that an installation can be moved.
file(RELATIVE_PATH BRELUND_PC_UP /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
string(REGEX REPLACE "/$" "" BRELUND_PC_UP "${BRELUND_PC_UP}")
set(BRELUND_PC_HEADLESS_PRIVATE "")
set(BRELUND_PC_QT_PRIVATE "")
if(BRELUND_STATIC)
  set(BRELUND_PC_HEADLESS_PRIVATE "Requires.private: libpng freetype2 fontconfig harfbuzz fribidi")
  set(BRELUND_PC_QT_PRIVATE "Requires.private: libpng")
endif()
foreach(pc core headless qt)
  if(pc STREQUAL "qt" AND NOT BRELUND_WITH_QT)
    continue()
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/brelund-${pc}.pc.in
    ${PROJECT_BINARY_DIR}/pkgconfig/brelund-${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/brelund-${pc}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT dev)

include(cmake/BrelundPackaging.cmake)
