#pragma once
// The window's texts and the core's 8-bit code page, converted both ways.

#include <string>

#include <QString>

#include "codepage.h"

inline QString Q(const std::string& ansi) { return QString::fromStdString(AnsiToUtf8(ansi)); }
inline std::string A(const QString& s) { return Utf8ToAnsi(s.toStdString()); }
