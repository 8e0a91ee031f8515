#pragma once
// Page of the seller panes: every navigation, including clicks on the
// generated pages' relative links "00" and "#03", is first reported through
// BeforeNavigate, whose handler may cancel it.

#include "PanePage.h"

class THookedPage : public TPanePage {
    Q_OBJECT
public:
    THookedPage(TPaneProfile* profile, QObject* parent);

protected:
    bool AcceptNavigation(const QUrl& url, NavigationType type) override;
    void FragmentLinkClicked(const QUrl& url) override;
};
