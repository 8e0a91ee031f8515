#pragma once
// The minisign public key line this program's update archives must be signed
// with, fixed when the program is built; empty when it never updates itself.
const char* UpdatePublicKey();
