#pragma once
// The reply document of a service call, over libxml2. The parser takes the
// character encoding from the document itself (declaration or byte-order
// mark); element texts are handed out in the system's 8-bit code page.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;
using TXmlNode = _xmlNode;

class TXmlDoc {
public:
    TXmlDoc();
    ~TXmlDoc();
    TXmlDoc(const TXmlDoc&) = delete;
    TXmlDoc& operator=(const TXmlDoc&) = delete;

    void Clear();
    // Parses `bytes`; false for a malformed document, one that is not valid in
    // its declared encoding, or one with a document type declaration (replies
    // never carry one, and refusing it keeps entity expansion out).
    bool Load(std::string_view bytes);

    TXmlNode* DocumentElement() const;

    // First child element of `parent` with this name; nullptr when none.
    static TXmlNode* FindChild(const TXmlNode* parent, std::string_view name);
    // Element children in document order, at most `limit`.
    static std::vector<TXmlNode*> ChildElements(const TXmlNode* parent, std::size_t limit);
    // Concatenated text of the element, converted to the 8-bit code page;
    // empty for nullptr.
    static std::string Text(const TXmlNode* node);

private:
    _xmlDoc* doc_ = nullptr;
};
