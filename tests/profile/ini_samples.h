#pragma once

// INI text that the profile tests state the values of and that the Windows corpus
// reads with the system's profile functions too: blanks around names and values,
// quotes, comments, a line without an equals sign and a second section.
namespace quillon_test {

inline constexpr const char* kBlanksCommentsAndQuotes =
    "; counters\r\n"
    "  [ 1.3.6.1.4.1.15.1 ]  \r\n"
    "  Counter =  Processor\\% Processor Time\\_Total  \r\n"
    "type=\" spaced \"\r\n"
    "flag='single'\r\n"
    "odd=\"mismatched'\r\n"
    ";counter=commented\r\n"
    "no equals sign here\r\n"
    "[Other]\n"
    "counter=second section\n";

}  // namespace quillon_test
