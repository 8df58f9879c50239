// Numbers, strings and names as they are written into a PDF file. Every
// number uses the point as decimal mark, never an exponent, whatever the
// locale; strings and names are escaped so that no text can break the file.
#pragma once
#include <string>
#include <string_view>

namespace vkz {

// Appends v with exactly `decimals` decimals (halves away from zero, as the
// old "###0.00" format did): 28.3464 -> "28.35", -3 -> "-3.00". A value that
// is not finite is written as 0.
void appendPdfNumber(std::string& out, double v, int decimals);
std::string FormatPdfNumber(double v, int decimals);

// Appends v with up to 15 significant digits and no trailing zeros
// (595.28, 842, 612.5); never an exponent. Not finite -> 0.
void appendGeneralNumber(std::string& out, double v);
std::string generalNumber(double v);

// A number as a message shows it: like generalNumber, with NaN, Infinity
// and -Infinity named.
std::string shownNumber(double v);

// Appends the bytes of a PDF literal string body: "\" "(" ")" escaped, and
// CR / LF written as \r / \n so a line end cannot change the bytes.
void appendPdfStringBody(std::string& out, std::string_view bytes);

// A PDF name for arbitrary bytes (without the leading "/"): regular
// characters kept, everything else written as #xx. An empty text gives "_".
std::string pdfName(std::string_view bytes);

// Rounding halves to the even neighbour (the old CInt); beyond the range
// of long long the nearest end of it, not a number 0.
long long roundEven(double v);

}  // namespace vkz
