# Writes OUTPUT: about 5 MB of numbered text lines, so that a byte that lands
# in the wrong place cannot pass for the right one.
set(block "")
foreach(line RANGE 0 999)
  string(APPEND block "line ${line} of a block of a thousand\n")
endforeach()
file(WRITE "${OUTPUT}" "")
foreach(index RANGE 1 155)
  file(APPEND "${OUTPUT}" "block ${index}\n${block}")
endforeach()
