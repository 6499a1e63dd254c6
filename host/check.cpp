#include "host/check.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/extension_agent.h"
#include "host/startup_report.h"
#include "lib/debug_log.h"
#include "platform/profile.h"

namespace exthost {
namespace {

constexpr uint32_t kScriptBuffer = 2048;
constexpr int kTrapWaitMarginMs = 5000;

// The lines the agent appends to its debug log between Mark() and Lines().
class DebugLogTail {
 public:
  explicit DebugLogTail(std::string path) : path_(std::move(path)) {}
  void Mark() { mark_ = Content().size(); }
  std::vector<std::string> Lines() const {
    std::string text = Content();
    text.erase(0, text.size() >= mark_ ? mark_ : 0);  // a shorter file was started anew
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(std::move(line));
    }
    return lines;
  }

 private:
  std::string Content() const {
    std::ifstream file(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  }
  std::string path_;
  size_t mark_ = 0;
};

std::vector<std::string> SectionNames(const std::string& file) {
  for (uint32_t size = 65536;; size *= 4) {
    std::vector<char> buffer(size, '\0');
    const uint32_t used =
        platform::ProfileString(nullptr, nullptr, "", buffer.data(), size, file.c_str());
    if (used + 2 < size) {
      std::vector<std::string> names;
      for (const char* name = buffer.data(); *name != '\0'; name += names.back().size() + 1) {
        names.emplace_back(name);
      }
      return names;
    }
  }
}

std::string Script(const std::string& file, const std::string& section) {
  std::vector<char> buffer(kScriptBuffer, '\0');
  platform::ProfileString(section.c_str(), "script", "", buffer.data(), kScriptBuffer,
                          file.c_str());
  return buffer.data();
}

std::optional<Oid> ParseOid(const std::string& text) {
  Oid oid;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t dot = std::min(text.find('.', start), text.size());
    const std::string part = text.substr(start, dot - start);
    if (part.empty() || part.size() > 10 || part.find_first_not_of("0123456789") != part.npos) {
      return std::nullopt;
    }
    const unsigned long long number = std::stoull(part);
    if (number > UINT32_MAX) return std::nullopt;
    oid.push_back(static_cast<uint32_t>(number));
    start = dot + 1;
  }
  return oid;
}

std::string StatusName(int32_t status) {
  static const char* const kNames[] = {"noError",  "tooBig",   "noSuchName",
                                       "badValue", "readOnly", "genErr"};
  if (status >= 0 && status < 6) return kNames[status];
  return "error status " + std::to_string(status);
}

std::string Quoted(const std::string& bytes) {
  std::string text = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      text += escaped;
    } else {
      text += c;
    }
  }
  return text + "\"";
}

std::string ValueText(const Value& value) {
  switch (value.syntax) {
    case Syntax::Integer:
      return "INTEGER: " + std::to_string(value.number);
    case Syntax::OctetString:
      return "STRING: " + Quoted(value.bytes);
    case Syntax::ObjectId:
      return "OID: " + OidToText(value.oid);
    case Syntax::Null:
      return "NULL";
    default:
      return "type " + std::to_string(static_cast<int>(value.syntax)) + ": " +
             (value.bytes.empty() ? std::to_string(value.number) : Quoted(value.bytes));
  }
}

class Check {
 public:
  Check(std::ostream& out, const AgentConfiguration& configuration)
      : out_(out),
        configuration_(configuration),
        log_(MappedPath(lib::kDebugLogPath)),
        debugOn_(configuration.debug == "1") {}

  int Run(const std::string& agentPath);

 private:
  void Fail(const std::string& what, const std::vector<std::string>& debugLines);
  void WalkRows(ExtensionAgent& agent, const Oid& region);
  void CheckTraps(ExtensionAgent& agent, const Registration& registration);
  void ReportTrap(const std::optional<Trap>& trap, const std::vector<std::string>& debugLines);

  std::ostream& out_;
  const AgentConfiguration& configuration_;
  DebugLogTail log_;
  bool debugOn_;
  int answered_ = 0;
  int failed_ = 0;
};

void Check::Fail(const std::string& what, const std::vector<std::string>& debugLines) {
  ++failed_;
  out_ << "  FAIL " << what << "\n";
  for (const std::string& line : debugLines) out_ << "       | " << line << "\n";
}

// A walk in the agent's own order. A failing row ends a manager's walk; here the walk
// goes on after it, from the row the counters file names next.
void Check::WalkRows(ExtensionAgent& agent, const Oid& region) {
  out_ << "rows of region " << OidToText(region) << ":\n";
  if (!debugOn_) {
    out_ << "  (the agent's debug log is off: set \"debug\"=\"1\" in its key to see the debug "
            "lines of failing rows)\n";
  }
  const std::vector<std::string> sections = configuration_.counters.empty()
                                                ? std::vector<std::string>{}
                                                : SectionNames(configuration_.counters);
  Oid asked = region;
  std::set<Oid> seen;
  for (size_t step = 0; step <= sections.size(); ++step) {
    std::vector<Binding> bindings{Binding{asked, Value{}}};
    log_.Mark();
    const QueryResult result = agent.Query(Phase::GetNext, bindings);
    const std::vector<std::string> debugLines = log_.Lines();
    if (result.errorStatus == kNoSuchName) return;  // past the last row
    if (result.errorStatus != kNoError) {
      // The agent leaves the name as it was asked: the failing row is the next in the file.
      std::optional<std::string> row;
      if (asked == region && !sections.empty()) row = sections.front();
      for (size_t i = 0; !row && i + 1 < sections.size(); ++i) {
        if (sections[i] == OidToText(asked)) row = sections[i + 1];
      }
      Fail((row ? *row : "the row after " + OidToText(asked)) + ": " +
               StatusName(result.errorStatus),
           debugLines);
      const std::optional<Oid> next = row ? ParseOid(*row) : std::nullopt;
      if (!next) return;
      asked = *next;
      continue;
    }
    const Binding& answer = bindings.front();
    if (!OidStartsWith(answer.name, region) || answer.name <= asked ||
        !seen.insert(answer.name).second) {
      Fail("GETNEXT on " + OidToText(asked) + " answered " + OidToText(answer.name) +
               ", which is not a later OID in the region: a walk ends here (counters file out "
               "of OID order?)",
           debugLines);
      return;
    }
    ++answered_;
    out_ << "  " << OidToText(answer.name) << " = " << ValueText(answer.value) << "\n";
    asked = answer.name;
  }
}

void Check::ReportTrap(const std::optional<Trap>& trap,
                       const std::vector<std::string>& debugLines) {
  // The debug lines of each script begin with its "executing" line.
  std::vector<std::vector<std::string>> runs;
  for (const std::string& line : debugLines) {
    if (line.find(" , executing ") != std::string::npos) runs.emplace_back();
    if (!runs.empty()) runs.back().push_back(line);
  }
  const std::vector<std::string> sections = SectionNames(configuration_.traps);
  size_t run = 0;
  for (size_t i = 0; i < sections.size(); ++i) {
    const std::string script = Script(configuration_.traps, sections[i]);
    std::vector<std::string> lines;
    if (!script.empty() && run < runs.size()) lines = runs[run++];
    const Binding* binding = trap && i < trap->bindings.size() ? &trap->bindings[i] : nullptr;
    const bool empty = binding == nullptr || (binding->value.syntax == Syntax::OctetString &&
                                              binding->value.bytes.empty());
    if (!empty) {
      ++answered_;
      out_ << "  " << OidToText(binding->name) << " = " << ValueText(binding->value) << "\n";
    } else if (script.empty()) {
      Fail(sections[i] + ": no script", lines);
    } else {
      Fail(sections[i] + ": no value from script " + script, lines);
    }
  }
}

void Check::CheckTraps(ExtensionAgent& agent, const Registration& registration) {
  if (configuration_.traps.empty()) {
    out_ << "traps: no trap file set\n";
    return;
  }
  const std::string trapFile = MappedPath(configuration_.traps);
  if (!registration.trapEvent) {
    Fail("trap file " + trapFile + ": " + JudgeServiceFile(trapFile).Text() +
             " at SnmpExtensionInit, so the agent sends no traps",
         {});
    return;
  }
  const int waitMs = configuration_.trapDelayMs + kTrapWaitMarginMs;
  out_ << "trap bindings of " << trapFile << " (waiting up to " << waitMs / 1000
       << " s for the agent's trap timer, trap_delay " << configuration_.trapDelayMs
       << " ms):" << std::endl;
  pollfd event{*registration.trapEvent, POLLIN, 0};
  if (poll(&event, 1, waitMs) != 1) {
    Fail("the agent's trap timer did not signal its event", {});
    return;
  }
  uint64_t signals = 0;
  [[maybe_unused]] const ssize_t got = read(*registration.trapEvent, &signals, sizeof signals);
  log_.Mark();
  const std::optional<Trap> trap = agent.NextTrap();
  ReportTrap(trap, log_.Lines());
}

int Check::Run(const std::string& agentPath) {
  out_ << "configuration:\n";
  for (const std::string& line : DescribeAgentConfiguration(configuration_)) {
    out_ << "  " << line << "\n";
  }
  std::unique_ptr<ExtensionAgent> agent;
  Registration registration;
  log_.Mark();
  try {
    agent = ExtensionAgent::Load(agentPath);
    registration = agent->Init(0);  // the agent ignores the service's start time
  } catch (const AgentError& error) {
    Fail(error.what(), log_.Lines());
    out_ << "check: the agent did not start" << std::endl;
    return 1;
  }
  out_ << "agent " << agent->Path() << " started\n";
  // The agent starts without them; every request until they can be read fails.
  if (configuration_.countersVerdict.kind == FileVerdict::Kind::Unreadable) {
    Fail("counters file " + MappedPath(configuration_.counters) + ": " +
             configuration_.countersVerdict.Text(),
         {});
  }
  if (configuration_.trapsVerdict.kind == FileVerdict::Kind::Unreadable) {
    Fail(
        "trap file " + MappedPath(configuration_.traps) + ": " + configuration_.trapsVerdict.Text(),
        {});
  }
  WalkRows(*agent, registration.region);
  CheckTraps(*agent, registration);
  out_ << "check: " << answered_ << " answered, " << failed_ << " failed" << std::endl;
  return failed_ == 0 ? 0 : 1;
}

}  // namespace

int RunCheck(const Options& options, std::ostream& out) {
  const AgentConfiguration configuration = ReadAgentConfiguration();
  return Check(out, configuration).Run(options.agentPath);
}

}  // namespace exthost
