# Writes iids.rc: the resources _IID_BOTON and _SRCIID_BOTON (a 32-bit length, 16, then the
# GUID in its binary layout) from the GUIDs that brelund.idl gives _Boton and __Boton.
# Usage: cmake -DIDL=brelund.idl -DOUT=iids.rc -P iids.cmake
file(READ "${IDL}" idl)

function(guid_of name decl out)
  string(REGEX MATCH "uuid\\(([0-9a-fA-F-]+)\\)[^]]*\\][ \t\r\n]*${decl}" m "${idl}")
  if(NOT m)
    message(FATAL_ERROR "brelund.idl: no uuid for ${name}")
  endif()
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# "aabbccdd-eeff-gghh-iijj-kkllmmnnoopp" as rc raw data: DWORD, two WORDs, then the last eight
# bytes as little-endian WORDs.
function(rc_words guid out)
  string(REPLACE "-" "" hex "${guid}")
  string(SUBSTRING "${hex}" 0 8 d1)
  string(SUBSTRING "${hex}" 8 4 d2)
  string(SUBSTRING "${hex}" 12 4 d3)
  set(words "16L, 0x${d1}L, 0x${d2}, 0x${d3}")
  foreach(i 16 20 24 28)
    string(SUBSTRING "${hex}" ${i} 2 lo)
    math(EXPR j "${i} + 2")
    string(SUBSTRING "${hex}" ${j} 2 hi)
    string(APPEND words ", 0x${hi}${lo}")
  endforeach()
  set(${out} "${words}" PARENT_SCOPE)
endfunction()

guid_of(_Boton "interface _Boton :" iid)
guid_of(__Boton "dispinterface __Boton[ \t\r\n]*{" srciid)
rc_words(${iid} iid_words)
rc_words(${srciid} srciid_words)
file(WRITE "${OUT}.tmp"
  "// Generated from brelund.idl by iids.cmake; do not edit.\n"
  "1 _IID_BOTON { ${iid_words} }\n"
  "1 _SRCIID_BOTON { ${srciid_words} }\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
