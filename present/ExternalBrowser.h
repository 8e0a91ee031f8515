#pragma once
// Hands an address to the system's default browser. Only http and https
// addresses are ever handed over; anything else (javascript:, file:, data:,
// the generated pages' own addresses) is ignored.

#include <QUrl>
#include <string>

bool OpenInSystemBrowser(const QUrl& url);
// An address as the pages and records hold it, in the 8-bit code page.
bool OpenInSystemBrowser(const std::string& ansiUrl);
