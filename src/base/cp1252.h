// Code page 1252 ("ANSI") text, the encoding of the meter's texts, the data
// files and the language files. Inside the program texts are UTF-8.
#pragma once
#include <string>
#include <string_view>

namespace vkz {

// Bytes in code page 1252 -> UTF-8. The five undefined codes (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 control of the same value, so every byte
// string survives a round trip.
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-8 -> code page 1252. A character the code page lacks becomes '?';
// malformed UTF-8 bytes are taken as code page 1252 bytes themselves.
std::string utf8ToCp1252(std::string_view utf8);

// One code page 1252 byte -> its Unicode code point.
char32_t cp1252ToUnicode(unsigned char c);

// A Unicode code point -> its code page 1252 byte, or -1 when it has none.
int unicodeToCp1252(char32_t u);

}  // namespace vkz
