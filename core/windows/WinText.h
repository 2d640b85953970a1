#pragma once
// Text at the Windows API's edge: the program keeps UTF-8, the API takes and gives UTF-16, and the
// system says why a call failed in a sentence of its own.

#include <string>

namespace orvix::win {

// Bytes in a Windows code page (CP_ACP, 1252, 932, ...) as UTF-16; widen is the UTF-8 case.
std::wstring decode(unsigned codePage, const char* bytes, size_t length);
std::wstring widen(const std::string& utf8);
std::string narrow(const wchar_t* text, size_t length);
std::string narrow(const std::wstring& wide);

// The system's sentence for an error code, without its line break; "Error N" when the system
// has none.
std::string systemMessage(unsigned long code);

}  // namespace orvix::win
