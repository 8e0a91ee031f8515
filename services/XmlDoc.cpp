#include "XmlDoc.h"

#include <cstring>
#include <mutex>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include "codepage.h"

namespace {

void QuietErrors(void*, const char*, ...) {}

void InitParser()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, QuietErrors);
    });
}

} // namespace

TXmlDoc::TXmlDoc() { InitParser(); }

TXmlDoc::~TXmlDoc() { Clear(); }

void TXmlDoc::Clear()
{
    if (doc_) {
        xmlFreeDoc(doc_);
        doc_ = nullptr;
    }
}

bool TXmlDoc::Load(std::string_view bytes)
{
    Clear();
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX))
        return false;
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt)
        return false;
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                      nullptr, options);
    const bool wellFormed = ctxt->wellFormed != 0;
    xmlFreeParserCtxt(ctxt);
    if (!doc)
        return false;
    if (!wellFormed || doc->intSubset != nullptr || xmlDocGetRootElement(doc) == nullptr) {
        xmlFreeDoc(doc);
        return false;
    }
    doc_ = doc;
    return true;
}

TXmlNode* TXmlDoc::DocumentElement() const { return doc_ ? xmlDocGetRootElement(doc_) : nullptr; }

TXmlNode* TXmlDoc::FindChild(const TXmlNode* parent, std::string_view name)
{
    if (!parent)
        return nullptr;
    for (xmlNodePtr n = parent->children; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE || !n->name)
            continue;
        const char* nn = reinterpret_cast<const char*>(n->name);
        if (std::strlen(nn) == name.size() && std::memcmp(nn, name.data(), name.size()) == 0)
            return n;
    }
    return nullptr;
}

std::vector<TXmlNode*> TXmlDoc::ChildElements(const TXmlNode* parent, std::size_t limit)
{
    std::vector<TXmlNode*> out;
    if (!parent)
        return out;
    for (xmlNodePtr n = parent->children; n && out.size() < limit; n = n->next)
        if (n->type == XML_ELEMENT_NODE)
            out.push_back(n);
    return out;
}

std::string TXmlDoc::Text(const TXmlNode* node)
{
    if (!node)
        return {};
    // Fast path: a single text child, the usual shape of a field element.
    const xmlNode* c = node->children;
    if (c && !c->next && c->type == XML_TEXT_NODE && c->content)
        return Utf8ToAnsi(reinterpret_cast<const char*>(c->content));
    xmlChar* content = xmlNodeGetContent(node);
    if (!content)
        return {};
    std::string out = Utf8ToAnsi(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return out;
}
