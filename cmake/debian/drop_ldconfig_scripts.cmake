# CPack post-build script: CPack writes postinst and postrm scripts that call ldconfig for every
# package with a library in /usr/lib, and offers no way to leave them out. The packages have an
# ldconfig trigger instead (cmake/debian/triggers), as Debian asks, so the scripts are taken out
# again: each package is unpacked, the two scripts removed, and the package built anew.
find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND ${DPKG_DEB} --raw-extract "${deb}" "${tree}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${deb}")
  endif()
  if(EXISTS "${tree}/DEBIAN/triggers")
    file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
    execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build "${tree}" "${deb}"
      OUTPUT_QUIET RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "cannot build ${deb} again")
    endif()
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()
