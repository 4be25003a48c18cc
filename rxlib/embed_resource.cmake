# Turns one artwork file into a C++ byte table that registers itself as resource ID at load time.
# cmake -DINPUT=file -DOUTPUT=file.cpp -DID=1001 -P embed_resource.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Embedded resource ${ID}, generated from its artwork file at build time.
#include \"platform/resources.h\"

namespace {

const unsigned char resource_bytes[${size} + 1] = {
${bytes}0};

struct registrar {
    registrar() { rx::platform::register_resource(${ID}, resource_bytes, ${size}); }
} const registered;

}  // namespace
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
