#pragma once
// What the desktop knows the program by: its application id (the name of its
// desktop entry and icon) and the window icon, drawn in the same sizes as
// the installed icon theme's.

#include <QIcon>
#include <QString>

// "org.pallido.Pallido".
QString ApplicationId();
// The application icon from the program's own resources.
QIcon ApplicationIcon();
// Sets the desktop file name and the window icon of the application; call
// once the application object exists.
void ApplyApplicationIdentity();
