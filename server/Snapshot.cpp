#include "Snapshot.h"

#include <utility>

TSnapshot::TSnapshot(std::shared_ptr<const TCatalog> catalog, const std::string& baseUrl,
                     const TServerOptions& options)
    : catalog_(std::move(catalog)),
      fields(*catalog_, baseUrl),
      itemcats(*catalog_),
      tbkItems(*catalog_, fields),
      tbItems(*catalog_, fields),
      convert(*catalog_, fields),
      pictures(*catalog_),
      pages(*catalog_, fields, options.pageCaption),
      channelPage(pages.Channels()),
      activityPage(pages.Activities())
{
}
