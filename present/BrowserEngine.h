#pragma once
// Start-up of the embedded browser engine. PrepareBrowserPanes() must run in
// the program entry before the application object is created: it registers
// the scheme the generated pages are served from, lets the engine share its
// graphics context with the widgets, limits the engine to one page process
// for all panes and its processes to one allocation heap each (unless the
// environment already chooses).

void PrepareBrowserPanes();

// Called once the engine has started its processes (the first profile
// exists): what PrepareBrowserPanes() left in the environment for them only
// goes again.
void BrowserEngineStarted();
