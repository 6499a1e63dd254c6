#pragma once

#include <deque>
#include <string>
#include <string_view>

namespace provider {

// The files that one collection reads, each read at most once however many
// objects need it (Processor and System both parse <proc>/stat). The buffers stay
// with the object from one collection to the next, so that a collection reads
// into memory it already has.
class SourceFiles {
 public:
  // Forgets what the previous collection read; keeps the buffers.
  void Reset();

  // The content of root + "/" + relative, read on first use in this collection;
  // null when the file cannot be read. Valid until the next Reset.
  const std::string* Read(const std::string& root, std::string_view relative);

  // A buffer for files that only one reader needs (a process's own files).
  std::string& Scratch() { return scratch_; }

 private:
  struct File {
    std::string path;
    bool current = false;
    bool readable = false;
    std::string content;
  };
  std::deque<File> files_;  // a deque: what Read returned stays where it is
  std::string path_;
  std::string scratch_;
};

}  // namespace provider
