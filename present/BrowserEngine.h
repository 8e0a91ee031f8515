#pragma once
// Start-up of the embedded browser engine. PrepareBrowserPanes() must run in
// the program entry before the application object is created: it registers
// the scheme the generated pages are served from, lets the engine share its
// graphics context with the widgets, and limits the engine to one page
// process for all panes (unless the environment already chooses).

void PrepareBrowserPanes();
