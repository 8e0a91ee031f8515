# Writes a source file defining UpdatePublicKey() from a minisign ".pub" file
# (its second line). Run with -DPUB=<file.pub> -DOUT=<file.cpp>.
file(STRINGS "${PUB}" lines)
list(LENGTH lines count)
if(count LESS 2)
  message(FATAL_ERROR "${PUB} is not a minisign public key file")
endif()
list(GET lines 1 key)
if(NOT key MATCHES "^RW[A-Za-z0-9+/]+$")
  message(FATAL_ERROR "${PUB} is not a minisign public key file")
endif()
file(WRITE "${OUT}" "#include \"UpdateKey.h\"\n\nconst char* UpdatePublicKey() { return \"${key}\"; }\n")
