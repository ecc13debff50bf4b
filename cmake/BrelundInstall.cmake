# Installs the library for applications outside this tree: the headers under include/brelund
# (folders kept, since the code includes "brelund/boton.h"), the core, the form files and, when
# built, the Qt host, with a package config so that find_package(Brelund) gives Brelund::Core,
# Brelund::Forms and Brelund::Qt.
include(CMakePackageConfigHelpers)

set(BRELUND_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Brelund)
set(brelund_installed brelund_core brelund_common brelund_forms)
set_target_properties(brelund_core PROPERTIES EXPORT_NAME Core)
set_target_properties(brelund_forms PROPERTIES EXPORT_NAME Forms)
set_target_properties(brelund_common PROPERTIES EXPORT_NAME Common)
set(BRELUND_WITH_QT OFF)
if(TARGET brelund_qt)
  list(APPEND brelund_installed brelund_qt)
  set(BRELUND_WITH_QT ON)
endif()

install(TARGETS ${brelund_installed} EXPORT BrelundTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/brelund DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(EXPORT BrelundTargets NAMESPACE Brelund:: FILE BrelundTargets.cmake
  DESTINATION ${BRELUND_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/BrelundConfig.cmake.in
  ${PROJECT_BINARY_DIR}/BrelundConfig.cmake INSTALL_DESTINATION ${BRELUND_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/BrelundConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/BrelundConfig.cmake ${PROJECT_BINARY_DIR}/BrelundConfigVersion.cmake
  DESTINATION ${BRELUND_CMAKE_DIR})
