#pragma once
// The window's own messages. They travel as posted Qt events (a posted event
// is delivered on the receiver's thread, after everything posted before it),
// so a worker thread reports to the window without touching it. The numbers
// keep the values the messages have always had.

#include <QEvent>

inline constexpr QEvent::Type WM_UPDATE_DONE = static_cast<QEvent::Type>(1055);
inline constexpr QEvent::Type WM_UPDATE_FAILED = static_cast<QEvent::Type>(1056);
inline constexpr QEvent::Type WM_SEARCH_DONE = static_cast<QEvent::Type>(1245);
inline constexpr QEvent::Type WM_SEARCH_FAILED = static_cast<QEvent::Type>(1246);
