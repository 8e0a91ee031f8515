#include "SoftInfoScript.h"

#include "Markup.h"
#include "data.h"

TSoftInfoScript::TSoftInfoScript(const TServerOptions& o, const std::string& baseUrl)
{
    archivePath_ = "/update/" + o.updateName + ".zip";
    body_ = "Pallido publisher server\r\n";
    body_ += "extra1=\r\n";
    body_ += "extra2=\r\n";
    body_ += "update_name=" + o.updateName + "\r\n";
    body_ += "version=" + o.announceVersion + "\r\n";
    body_ += "update_url=" + baseUrl + "update/" + UrlEncoded(o.updateName) + ".zip\r\n";
    body_ += "page_caption=" + o.pageCaption + "\r\n";
}

std::string TSoftInfoScript::Reply(const TQueryString& q) const
{
    return q.Get("pid") == kPid ? body_ : "error";
}
