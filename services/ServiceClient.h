#pragma once
// The shape shared by the four service clients: a signed GET of one server
// script, the XML reply loaded and checked for the client's key element, and
// the items read into a fixed array of records.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "HttpClient.h"
#include "XmlDoc.h"

class TServiceClient {
public:
    virtual ~TServiceClient() = default;

    // GET of BuildUrl(), then LoadReply. Every failure is caught here and
    // gives false.
    bool Request();
    // Why the last Fetch or Request returned false: Unreachable when the
    // request itself failed (no answer), BadReply for an answer of no use
    // and for conditions that made no request; None after success.
    TFailure Failure() const { return failure_; }
    void SetFailure(TFailure failure) { failure_ = failure; }
    // XML load of a reply body, key element check, ParseReply; false (and
    // the results untouched) when the body is not a usable reply.
    bool LoadReply(std::string_view body);
    // The signed request address, stamped now.
    std::string BuildUrl() { return BuildUrlAt(Stamp()); }
    virtual std::string BuildUrlAt(std::int32_t stamp) = 0;
    virtual void ParseReply() = 0;

    // Read time-out 15000 ms, connect time-out 10000 ms, replies up to 8 MiB.
    THttpClient Http;
    TXmlDoc XmlDoc;

protected:
    virtual const char* KeyElement() const = 0;
    static std::int32_t Stamp();

private:
    TFailure failure_ = TFailure::None;
};

// Fetch of every client: copy the caller's records (they are never changed),
// check the required conditions, apply defaults, request. `results` points at
// the client's own array only after success.
template <class Client, class Cond, class Info, class Results>
bool FetchInto(Client& client, const Cond& cond, const Info& names, const Results*& results)
{
    client.Names = names;
    client.Cond = cond;
    if (!client.CondValid()) {
        client.SetFailure(TFailure::BadReply);
        return false;
    }
    client.ApplyDefaults();
    if (!client.Request())
        return false;
    results = &client.Results;
    return true;
}

// One readable slot of an Info record: its member and its default element name.
template <class Info>
struct TSlot {
    std::string Info::*field;
    const char* defaultName;
};

// Fills every empty slot of `names` with its default element name.
template <class Info, std::size_t S>
void FillDefaultNames(Info& names, const std::array<TSlot<Info>, S>& table)
{
    for (const auto& s : table)
        if ((names.*(s.field)).empty())
            names.*(s.field) = s.defaultName;
}

// "fields=" and the element names of `table` joined with ",".
template <class Info, std::size_t S>
std::string FieldList(const Info& names, const std::array<TSlot<Info>, S>& table)
{
    std::string out = "fields=";
    bool first = true;
    for (const auto& s : table) {
        if (!first)
            out += ',';
        out += names.*(s.field);
        first = false;
    }
    return out;
}

// Clears every field of every record.
template <class Info, std::size_t N, std::size_t S>
void ClearRecords(std::array<Info, N>& results, const std::array<TSlot<Info>, S>& allSlots)
{
    for (auto& r : results)
        for (const auto& s : allSlots)
            (r.*(s.field)).clear();
}

// Reads the children of the document element's `listName` child into
// `results`: for each item, each slot from the item's child element named by
// `names`. Items beyond the array's capacity are dropped. Returns the items.
template <class Info, std::size_t N, std::size_t S>
std::vector<TXmlNode*> ReadItems(const TXmlDoc& doc, const char* listName, const Info& names,
                                 std::array<Info, N>& results,
                                 const std::array<TSlot<Info>, S>& readSlots)
{
    const TXmlNode* list = TXmlDoc::FindChild(doc.DocumentElement(), listName);
    std::vector<TXmlNode*> items = TXmlDoc::ChildElements(list, N);
    for (std::size_t i = 0; i < items.size(); ++i)
        for (const auto& s : readSlots)
            results[i].*(s.field) = TXmlDoc::Text(TXmlDoc::FindChild(items[i], names.*(s.field)));
    return items;
}
