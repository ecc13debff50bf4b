# Installs the library for applications outside this tree, as package components that each find
# only their own dependencies:
#   Core      Brelund::Core, Brelund::Common   the control and the plumbing every host shares
#   Headless  Brelund::Headless (+ Forms)      the software host, form files and PNG
#   Qt        Brelund::Qt (+ Forms)            the Qt 6 widget
# A pkg-config file per component (brelund-core, brelund-headless, brelund-qt), the CLI in bin/,
# its helpers in libexec/brelund/, manual pages, shell completion and the documents. The install
# components are the Debian packages' (BrelundPackaging.cmake): one per shared library, the
# headless and Qt development files apart, the headless and Qt programs apart, the documents.
include(CMakePackageConfigHelpers)

set(BRELUND_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Brelund)
set(BRELUND_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/brelund)
set_target_properties(brelund_core PROPERTIES EXPORT_NAME Core)
set_target_properties(brelund_common PROPERTIES EXPORT_NAME Common)
set_target_properties(brelund_forms PROPERTIES EXPORT_NAME Forms)
set_target_properties(brelund_headless PROPERTIES EXPORT_NAME Headless)

# Installed programs find the libraries from their own place, wherever the prefix is (paths from
# $ORIGIN also serve a relocated tree; lintian accepts them).
function(brelund_install_rpath target from)
  file(RELATIVE_PATH up /${from} /${CMAKE_INSTALL_LIBDIR})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${up}")
endfunction()
brelund_install_rpath(boton ${CMAKE_INSTALL_BINDIR})
# `boton trace --host qt` finds its helper here, relative to its own folder.
file(RELATIVE_PATH BRELUND_LIBEXEC_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${BRELUND_LIBEXEC_DIR})
target_compile_definitions(boton PRIVATE BRELUND_LIBEXEC_FROM_BIN="${BRELUND_LIBEXEC_FROM_BIN}")

# One library, its export set and its package component; the development files (the static
# library or the shared one's name link) go with the development component.
function(brelund_install_export name runtime dev)
  install(TARGETS ${ARGN} EXPORT Brelund${name}Targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${dev}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${runtime} NAMELINK_COMPONENT ${dev}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(EXPORT Brelund${name}Targets NAMESPACE Brelund:: FILE Brelund${name}Targets.cmake
    DESTINATION ${BRELUND_CMAKE_DIR} COMPONENT ${dev})
endfunction()

# Core and Common share an export set (Common is the core's plumbing), each its own package.
install(TARGETS brelund_core EXPORT BrelundCoreTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT core NAMELINK_COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS brelund_common EXPORT BrelundCoreTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT common NAMELINK_COMPONENT dev)
install(EXPORT BrelundCoreTargets NAMESPACE Brelund:: FILE BrelundCoreTargets.cmake
  DESTINATION ${BRELUND_CMAKE_DIR} COMPONENT dev)
brelund_install_export(Forms forms dev brelund_forms)
brelund_install_export(Headless headless dev brelund_headless)
install(TARGETS boton RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
install(FILES ${PROJECT_BINARY_DIR}/boton.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME boton COMPONENT tools)
set(BRELUND_WITH_QT OFF)
if(TARGET brelund_qt)
  set(BRELUND_WITH_QT ON)
  brelund_install_export(Qt qt qtdev brelund_qt)
  brelund_install_rpath(boton-qt ${CMAKE_INSTALL_BINDIR})
  brelund_install_rpath(boton-trace-qt ${BRELUND_LIBEXEC_DIR})
  install(TARGETS boton-qt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT qttools)
  # An internal helper: only `boton trace --host qt` runs it.
  install(TARGETS boton-trace-qt RUNTIME DESTINATION ${BRELUND_LIBEXEC_DIR} COMPONENT qttools)
  if(TARGET brelund_designer)
    install(TARGETS brelund_designer
      LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/qt6/plugins/designer COMPONENT qtdev)
  endif()
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/brelund DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT dev FILES_MATCHING PATTERN "*.h" PATTERN qt EXCLUDE)
if(BRELUND_WITH_QT)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/brelund/qt
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brelund COMPONENT qtdev FILES_MATCHING PATTERN "*.h")
endif()
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

# pkg-config: one file per component. Static builds make the libraries ours link privately the
# application's own (plain Requires, so that the same command line serves both builds).
# The prefix is found from the file's own place, so that an installation can be moved.
file(RELATIVE_PATH BRELUND_PC_UP /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
string(REGEX REPLACE "/$" "" BRELUND_PC_UP "${BRELUND_PC_UP}")
set(BRELUND_PC_HEADLESS_PRIVATE "")
set(BRELUND_PC_QT_PRIVATE "")
if(BRELUND_STATIC)
  set(BRELUND_PC_HEADLESS_PRIVATE "Requires: libpng freetype2 fontconfig harfbuzz fribidi")
  set(BRELUND_PC_QT_PRIVATE "Requires: libpng")
endif()
# Shared libraries outside the dynamic linker's own folders (a prefix such as /opt/brelund) are
# found at run time through an rpath in Libs; in the system's folders (the Debian packages) the
# files carry none. Which one is decided when installing, when the prefix is final.
set(BRELUND_PC_FILES)
foreach(pc core headless qt)
  if(pc STREQUAL "qt" AND NOT BRELUND_WITH_QT)
    continue()
  endif()
  foreach(variant plain rpath)
    set(BRELUND_PC_RPATH "")
    if(variant STREQUAL "rpath" AND NOT BRELUND_STATIC)
      set(BRELUND_PC_RPATH "-Wl,-rpath,\${libdir}")
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/cmake/brelund-${pc}.pc.in
      ${PROJECT_BINARY_DIR}/pkgconfig/${variant}/brelund-${pc}.pc @ONLY)
  endforeach()
  set(component dev)
  if(pc STREQUAL "qt")
    set(component qtdev)
  endif()
  install(CODE "
    set(arch \"${CMAKE_LIBRARY_ARCHITECTURE}\")
    set(libdir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}\")
    set(variant rpath)
    foreach(d /lib /usr/lib /usr/local/lib)
      if(libdir STREQUAL d OR libdir STREQUAL \"\${d}/\${arch}\")
        set(variant plain)
      endif()
    endforeach()
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\"
      TYPE FILE FILES \"${PROJECT_BINARY_DIR}/pkgconfig/\${variant}/brelund-${pc}.pc\")"
    COMPONENT ${component})
endforeach()

# The documents: the form format with its JSON Schema and the trace language.
install(FILES ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  ${PROJECT_SOURCE_DIR}/docs/forms.md ${PROJECT_SOURCE_DIR}/docs/trace.md
  ${PROJECT_SOURCE_DIR}/docs/form.schema.json DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT doc)

include(cmake/BrelundManPages.cmake)

include(cmake/BrelundPackaging.cmake)
