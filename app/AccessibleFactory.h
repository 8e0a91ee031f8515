#pragma once
// Installs, once per process, the accessible interfaces of this program's
// own kinds of controls: combo boxes named by their accessible name and
// notebook page buttons read as page tabs.

void InstallAccessibleFactory();
