#include "ServiceClient.h"

#include "Request.h"

std::int32_t TServiceClient::Stamp() { return ::Stamp(); }

bool TServiceClient::Request()
{
    failure_ = TFailure::BadReply;
    try {
        XmlDoc.Clear();
        const std::string url = BuildUrl();
        std::string body;
        if (!Http.Get(url, body)) {
            failure_ = Http.Failure();
            return false;
        }
        if (!LoadReply(body))
            return false;
        failure_ = TFailure::None;
        return true;
    } catch (...) {
        return false;
    }
}

bool TServiceClient::LoadReply(std::string_view body)
{
    try {
        if (!XmlDoc.Load(body))
            return false;
        if (!TXmlDoc::FindChild(XmlDoc.DocumentElement(), KeyElement()))
            return false;
        ParseReply();
        return true;
    } catch (...) {
        return false;
    }
}
