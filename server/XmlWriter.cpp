#include "XmlWriter.h"

#include "Markup.h"

TXmlWriter::TXmlWriter(std::string_view root, std::size_t reserve)
{
    out_.reserve(reserve);
    out_ = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    Open(root);
}

void TXmlWriter::Open(std::string_view name)
{
    out_ += '<';
    out_ += name;
    out_ += '>';
    open_.emplace_back(name);
}

void TXmlWriter::Close()
{
    if (open_.empty())
        return;
    out_ += "</";
    out_ += open_.back();
    out_ += '>';
    open_.pop_back();
}

void TXmlWriter::Element(std::string_view name, std::string_view text)
{
    out_ += '<';
    out_ += name;
    out_ += '>';
    AppendEscaped(out_, text);
    out_ += "</";
    out_ += name;
    out_ += '>';
}

void TXmlWriter::Element(std::string_view name, long long value)
{
    Element(name, std::to_string(value));
}

std::string TXmlWriter::Finish()
{
    while (!open_.empty())
        Close();
    return std::move(out_);
}

std::string ErrorReply(int code, std::string_view msg)
{
    TXmlWriter w("error_response", 160);
    w.Element("code", code);
    w.Element("msg", msg);
    return w.Finish();
}
