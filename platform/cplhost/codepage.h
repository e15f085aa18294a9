// The applet's texts are Windows-1252; a terminal today speaks UTF-8.
// cplhost converts between them at the terminal only: scripts and
// transcripts keep the applet's bytes.
#pragma once

#include <string>
#include <string_view>

std::string WindowsToUtf8(std::string_view text);
// Characters that Windows-1252 lacks, and bytes that are no UTF-8, become '?'.
std::string Utf8ToWindows(std::string_view text);
