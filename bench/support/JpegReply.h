#pragma once
// A plain JPEG picture as a local server's reply, standing in for the
// marketplace's item pictures.

#include <QColor>

#include "TestServer.h"

namespace bench {

TCannedReply JpegReply(int side, const QColor& colour);

} // namespace bench
