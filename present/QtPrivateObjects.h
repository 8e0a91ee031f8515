#pragma once
// Marks functions that handle objects of Qt's own private classes (found
// through event filters, accessibility factories or the accessible tree).
// The undefined-behaviour sanitizer cannot see the type information of
// those classes from here and would report every virtual call on them as
// one on an invalid object, so its vptr check is off for such functions.

#define PALLIDO_QT_OBJECTS __attribute__((no_sanitize("vptr")))
