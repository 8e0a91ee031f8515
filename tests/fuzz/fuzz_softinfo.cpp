// The software-information reply as it arrives: UTF-8 decoding, then the line
// splitting with its quote rule into the six fields.
#include <cstddef>
#include <cstdint>
#include <string>

#include "codepage.h"
#include "ok.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string body(reinterpret_cast<const char*>(data), size);
    std::string text;
    if (!Utf8ToAnsiStrict(body, text))
        return 0;
    SOFT_INFO info;
    ParseSoftInfo(text, info);
    // Nothing can be longer than the reply it came from.
    if (info.extra1.size() > text.size() || info.page_caption.size() > text.size())
        __builtin_trap();
    return 0;
}
