#pragma once
// Everything the server answers from one catalog: the catalog itself, the
// scripts and the page and picture writers built on it. A reload builds a
// new snapshot and swaps it in whole; requests in flight keep the one they
// started with.

#include <memory>
#include <string>

#include "Catalog.h"
#include "ConvertScript.h"
#include "ItemFields.h"
#include "ItemcatsScript.h"
#include "PageWriter.h"
#include "PictureWriter.h"
#include "ServerOptions.h"
#include "TbItemsScript.h"
#include "TbkItemsScript.h"

class TSnapshot {
public:
    TSnapshot(std::shared_ptr<const TCatalog> catalog, const std::string& baseUrl,
              const TServerOptions& options);
    TSnapshot(const TSnapshot&) = delete;
    TSnapshot& operator=(const TSnapshot&) = delete;

    const TCatalog& Catalog() const { return *catalog_; }

private:
    std::shared_ptr<const TCatalog> catalog_;

public:
    const TItemFields fields;
    const TItemcatsScript itemcats;
    const TTbkItemsScript tbkItems;
    const TTbItemsScript tbItems;
    const TConvertScript convert;
    const TPictureWriter pictures;
    const TPageWriter pages;
    const std::string channelPage;
    const std::string activityPage;
};
