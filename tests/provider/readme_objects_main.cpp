#include <fstream>
#include <iostream>
#include <sstream>

#include "tests/provider/object_list.h"

// provider_readme_objects README.md: writes the provider's objects and counters
// between the README's two marker lines.
int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: provider_readme_objects README.md\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": cannot be read\n";
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  auto updated = provider_test::WithObjectList(text.str(), provider_test::ObjectListMarkdown());
  if (!updated) {
    std::cerr << argv[1] << ": the line \"" << provider_test::kObjectListBegin
              << "\" and, after it, \"" << provider_test::kObjectListEnd << "\" are needed\n";
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << *updated;
  out.flush();
  if (!out) {
    std::cerr << argv[1] << ": cannot be written\n";
    return 1;
  }
  return 0;
}
