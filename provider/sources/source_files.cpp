#include "provider/sources/source_files.h"

#include "provider/sources/file_read.h"

namespace provider {

void SourceFiles::Reset() {
  for (File& file : files_) file.current = false;
}

const std::string* SourceFiles::Read(const std::string& root, std::string_view relative) {
  path_.assign(root);
  path_ += '/';
  path_ += relative;
  File* slot = nullptr;
  for (File& file : files_) {
    if (file.path == path_) {
      if (file.current) return file.readable ? &file.content : nullptr;
      slot = &file;
      break;
    }
  }
  if (!slot) {
    // A slot of a path that this collection does not read is taken over.
    for (File& file : files_) {
      if (!file.current) {
        slot = &file;
        break;
      }
    }
  }
  if (!slot) slot = &files_.emplace_back();
  slot->path = path_;
  slot->current = true;
  slot->readable = ReadFileInto(path_, slot->content);
  return slot->readable ? &slot->content : nullptr;
}

}  // namespace provider
