#pragma once
// Page of the channel and activity panes: the publisher's own web pages,
// whose links navigate inside the pane.

#include "PanePage.h"

class TStaticPage : public TPanePage {
    Q_OBJECT
public:
    TStaticPage(TPaneProfile* profile, QObject* parent);
};
