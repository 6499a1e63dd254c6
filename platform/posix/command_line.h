#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Splits a command line into words the way a Windows program receives them: words
// are separated by blanks and tabs; the first word (the program) ends at the next
// blank or, when it begins with a double quote, at the next double quote, and is
// taken literally. In the other words double quotes group blanks into a word and
// are removed; 2n backslashes before a double quote give n backslashes and the quote
// groups, 2n+1 give n backslashes and a literal quote; "" inside a quoted part is a
// literal quote; other backslashes are literal. No other character is special.
std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace platform
