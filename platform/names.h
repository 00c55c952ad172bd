// File names as the system keeps them: bytes on POSIX (UTF-8 by convention, any bytes in
// fact), the ANSI code page on Windows. What a name is in UTF-8, where a document needs it,
// and which characters part a path into its names.
#pragma once

#include <string>

namespace kovra {

// True where names are meant as UTF-8 (POSIX); false where they are in the ANSI code page.
bool namesAreUtf8();

// The name in UTF-8: converted from the ANSI code page on Windows; on POSIX the bytes as they
// are, which need not be valid UTF-8.
std::string nameToUtf8(const std::string& name);

// The character put between a folder and a name: '/' on POSIX, '\' on Windows.
char pathSeparator();

// True where c ends one name of a path and begins the next: '/' on POSIX, where '\' is a
// character of a name like any other (a card may hold "..\..\x.avi"); '\' and '/' on Windows.
bool isPathSeparator(char c);

} // namespace kovra
