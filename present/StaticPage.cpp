#include "StaticPage.h"

TStaticPage::TStaticPage(TPaneProfile* profile, QObject* parent) : TPanePage(profile, parent) {}
