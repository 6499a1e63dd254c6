#include "tool/commands.h"

#include "perf/perf.h"
#include "tool/readout.h"

namespace ctrview {

namespace {

constexpr const char* kUsage =
    "Usage : ctrview \"Processor\\% Processor Time\\_Total\"\n"
    "Usage : ctrview \"Processor\\% Processor Time\\_Total\" /raw\n"
    "Usage : ctrview \"Processor\\% Processor Time\\_Total\" /pdh_path\n"
    "Usage : ctrview /enumobjects\n"
    "Usage : ctrview \"processor\" /enumobjectitems\n"
    "Usage : ctrview \"processor\" /enumobjectcounters\n"
    "Usage : ctrview \"processor\" /enumobjectinstances\n"
    "ctrview, part of quillon - contact: quillon maintainers <quillon@example.org>\n"
    "https://quillon.example.org\n";

enum class ObjectListing { Items, Counters, Instances };

void WriteLines(const std::vector<std::string>& lines, std::ostream& out) {
  for (const std::string& line : lines) out << line << '\n';
}

void PrintReadout(const std::string& path, ReadMode mode, std::ostream& out) {
  out << Readout(path, mode, out) << std::flush;
}

void PrintLocalPath(const std::string& path, std::ostream& out) {
  perf::init();
  out << perf::EnglishPath2LocalPDHPath(path) << std::flush;
  perf::close();
}

void PrintObjects(std::ostream& out) {
  std::vector<std::string> objects;
  perf::enumobjects(objects, true);
  if (perf::enumobjects(objects, false)) {
    WriteLines(objects, out);
  } else {
    out << "enumobjects failed\n";
  }
}

void PrintObjectItems(const std::string& englishObject, ObjectListing listing, std::ostream& out) {
  perf::init();
  const std::string object = perf::English2Local(englishObject);
  perf::close();
  if (object.empty()) {
    out << "unknown object\n";
    return;
  }
  std::vector<std::string> counters;
  std::vector<std::string> instances;
  if (!perf::enumobjectItems(object, counters, instances)) {
    out << "enumobjectItems failed\n";
    return;
  }
  switch (listing) {
    case ObjectListing::Items:
      if (instances.empty()) {
        for (const std::string& counter : counters) out << object << '\\' << counter << '\n';
      } else {
        for (const std::string& instance : instances) {
          for (const std::string& counter : counters) {
            out << object << '\\' << counter << '\\' << instance << '\n';
          }
        }
      }
      break;
    case ObjectListing::Counters:
      WriteLines(counters, out);
      break;
    case ObjectListing::Instances:
      WriteLines(instances, out);
      break;
  }
}

void RunOneArgument(const std::string& arg, std::ostream& out) {
  if (arg.empty() || arg[0] != '/') {
    PrintReadout(arg, ReadMode::Formatted, out);
  } else if (arg == "/enumobjects") {
    PrintObjects(out);
  }
}

void RunTwoArguments(const std::string& first, const std::string& command, std::ostream& out) {
  if (command == "/raw") {
    PrintReadout(first, ReadMode::Raw, out);
  } else if (command == "/pdh_path") {
    PrintLocalPath(first, out);
  } else if (command == "/enumobjectitems") {
    PrintObjectItems(first, ObjectListing::Items, out);
  } else if (command == "/enumobjectcounters") {
    PrintObjectItems(first, ObjectListing::Counters, out);
  } else if (command == "/enumobjectinstances") {
    PrintObjectItems(first, ObjectListing::Instances, out);
  }
}

}  // namespace

std::string ProgramFileName(const std::string& programPath) {
  const std::size_t separator = programPath.find_last_of("/\\");
  return separator == std::string::npos ? programPath : programPath.substr(separator + 1);
}

void Run(const std::string& programName, const std::vector<std::string>& args, std::ostream& out) {
  perf::DebugFlag.assign(1, programName == kDebugProgramName ? '1' : '0');
  switch (args.size()) {
    case 0:
      out << kUsage;
      break;
    case 1:
      RunOneArgument(args[0], out);
      break;
    case 2:
      RunTwoArguments(args[0], args[1], out);
      break;
    default:
      break;
  }
}

}  // namespace ctrview
