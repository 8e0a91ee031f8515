#include "UpdateKey.h"

const char* UpdatePublicKey() { return PALLIDO_UPDATE_PUBLIC_KEY; }
