#include "JpegReply.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace bench {

TCannedReply JpegReply(int side, const QColor& colour)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    TCannedReply reply;
    reply.body = bytes.toStdString();
    reply.contentType = "image/jpeg";
    return reply;
}

} // namespace bench
