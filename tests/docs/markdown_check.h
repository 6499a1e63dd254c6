#pragma once

// What a Markdown reader sees of a document, enough to tell whether a formatter that took it
// for source code has mangled it.

#include <string>
#include <vector>

namespace docs {

// The lines inside code blocks, fenced (``` or ~~~) or indented by four blanks or a tab,
// without the indentation.
std::vector<std::string> CodeBlockLines(const std::string& markdown);

// Lines outside fenced code blocks that open like a heading but have no blank after the #s
// ("##The two commands"): Markdown shows them as text, or, indented, as code.
std::vector<std::string> HeadingsWithoutSpace(const std::string& markdown);

}  // namespace docs
