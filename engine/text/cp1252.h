#pragma once

namespace besedka {

// The Windows-1251 byte of a Windows-1252 byte (the code page of an RTF
// document's Latin fonts), or '?' when Windows-1251 has no such character.
char cp1252ToCp1251(unsigned char byte);

} // namespace besedka
