# Turns a data file into a comma-separated list of byte values, to be #included inside
# an array initialiser. The file is carried as it is, byte for byte: no line-end or
# encoding conversion can happen on the way into the program.
#   cmake -DINPUT=<file> -DOUTPUT=<file.inc> -P embed_bytes.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.new" "${bytes}\n")
# Rewrite only on change so that dependants are not rebuilt for nothing.
configure_file("${OUTPUT}.new" "${OUTPUT}" COPYONLY)
file(REMOVE "${OUTPUT}.new")
