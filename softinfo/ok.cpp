#include "ok.h"

#include <vector>

#include "HttpClient.h"
#include "codepage.h"

std::string TOK::FetchReply(const std::string& url, const std::string& pid)
{
    try {
        THttpClient::Options options;
        options.connectTimeoutMs = connectTimeoutMs;
        options.stallTimeoutMs = stallTimeoutMs;
        THttpClient http(options);
        std::string body;
        if (!http.Get(url + "?pid=" + pid, body))
            return "error";
        std::string text;
        if (!Utf8ToAnsiStrict(body, text))
            return "error";
        return text;
    } catch (...) {
        return "error";
    }
}

namespace {

// Lines end at CR or LF; runs of line breaks yield no empty lines; a quote
// (single or double) opens a stretch up to the next quote of the same kind in
// which line breaks do not split. Quote characters stay in the text.
std::vector<std::string> SplitLines(const std::string& text, std::size_t maxLines)
{
    std::vector<std::string> lines;
    std::string current;
    bool hasText = false;
    char quote = 0;
    for (char c : text) {
        if (quote) {
            current += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (hasText) {
                lines.push_back(std::move(current));
                if (lines.size() >= maxLines)
                    return lines;
                current.clear();
                hasText = false;
            }
            continue;
        }
        if (c == '"' || c == '\'')
            quote = c;
        current += c;
        hasText = true;
    }
    if (hasText)
        lines.push_back(std::move(current));
    return lines;
}

} // namespace

void ParseSoftInfo(const std::string& reply, SOFT_INFO& info)
{
    std::string* slots[6] = {&info.extra1,  &info.extra2,     &info.update_name,
                             &info.version, &info.update_url, &info.page_caption};
    const std::vector<std::string> lines = SplitLines(reply, 7);
    for (std::size_t i = 1; i < lines.size() && i <= 6; ++i) {
        const std::string& line = lines[i];
        const std::size_t eq = line.find('=');
        *slots[i - 1] = (eq == std::string::npos) ? line : line.substr(eq + 1);
    }
}

bool TOK::GetSoftInfo(const std::string& url, const std::string& pid, SOFT_INFO& info)
{
    info = SOFT_INFO{};
    if (pid.empty())
        return false;
    const std::string reply = FetchReply(url, pid);
    if (reply == "error")
        return false;
    ParseSoftInfo(reply, info);
    return true;
}
