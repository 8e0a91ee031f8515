#pragma once
// TEMPORARY stand-in for the self-updater until update/myupdate.h is
// integrated: it never starts an update. Same name and call shape as the real
// TMyUpdate so the window code does not change when it is swapped in.

#include <string>

#include "ok.h"

class QObject;

class TMyUpdate {
public:
    // True when an update has been started in the background; it then
    // reports to `form` with WM_UPDATE_DONE or WM_UPDATE_FAILED.
    bool CheckUpdate(QObject* form, const SOFT_INFO& info, const std::string& currentVersion)
    {
        (void)form;
        (void)info;
        (void)currentVersion;
        return false;
    }
};
