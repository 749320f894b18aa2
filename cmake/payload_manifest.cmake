# Writes the size and SHA-256 of each payload file, in the order of the
# installed file set, as C++ initialisers that Setup.exe is built with.
# -DOUT=<file> -DFILES=<file;file;...>
set(text "// Generated at build time from the payload files.\n")
foreach(f ${FILES})
  file(SIZE "${f}" size)
  file(SHA256 "${f}" sum)
  string(APPEND text "{${size}u, \"${sum}\"},\n")
endforeach()
file(WRITE "${OUT}.new" "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUT}.new" "${OUT}")
