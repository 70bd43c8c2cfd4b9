// Text between the user interface's Windows-1252 strings and Qt.
#pragma once

#include <QString>
#include <string>

// Windows-1252 text (numbered texts, configuration values) for a widget.
QString OrvQString(const char* windowText);
inline QString OrvQString(const std::string& windowText) { return OrvQString(windowText.c_str()); }
// A widget's text back in Windows-1252; characters the code page cannot
// hold are dropped (the input fields refuse them in the first place).
std::string OrvWindowText(const QString& text);
