#include "host/check.h"

#include <poll.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "agent/row_order.h"
#include "host/extension_agent.h"
#include "host/startup_report.h"
#include "lib/debug_log.h"

namespace exthost {
namespace {

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

class Check {
 public:
  Check(std::ostream& out, const AgentConfiguration& configuration, bool waitForTrap)
      : out_(out),
        configuration_(configuration),
        log_(MappedPath(lib::kDebugLogPath)),
        debugOn_(configuration.debug == "1"),
        waitForTrap_(waitForTrap) {}

  int Run(const std::string& agentPath);

 private:
  void Fail(const std::string& what, const std::vector<std::string>& debugLines);
  void CheckRows(ExtensionAgent& agent, const Oid& region);
  void CheckRow(ExtensionAgent& agent, const Oid& region, const quillon::ProfileSnapshot& rows,
                size_t position);
  void ListCells(ExtensionAgent& agent, const std::string& name, const Oid& table, Oid cell);
  void Answered(const Binding& answer);
  void CheckTraps(ExtensionAgent& agent, const Registration& registration);
  void ListTrapBindings(const quillon::ProfileSnapshot& bindings);
  void ReportTrap(const quillon::ProfileSnapshot& bindings, const std::optional<Trap>& trap,
                  const std::vector<std::string>& debugLines);

  std::ostream& out_;
  const AgentConfiguration& configuration_;
  DebugLogTail log_;
  bool debugOn_;
  bool waitForTrap_;
  int answered_ = 0;
  int failed_ = 0;
};

void Check::Fail(const std::string& what, const std::vector<std::string>& debugLines) {
  ++failed_;
  out_ << "  FAIL " << what << "\n";
  for (const std::string& line : debugLines) out_ << "       | " << line << "\n";
}

// Every row of the agent's own listing, asked once as a manager reaches it: with GETNEXT
// from the row before it (from the region for the first), or, when a walk in file order
// cannot get there that way, with GET of its OID. A manager's walk stops at a failing or
// misplaced row; the check goes on to the next row of the listing.
void Check::CheckRows(ExtensionAgent& agent, const Oid& region) {
  out_ << "rows of region " << OidToText(region) << ":\n";
  if (!debugOn_) {
    out_ << "  (the agent's debug log is off: set \"debug\"=\"1\" in its key to see the debug "
            "lines of failing rows)\n";
  }
  const std::shared_ptr<const quillon::ProfileSnapshot> rows =
      quillon::ReadProfileSnapshot(configuration_.counters);
  if (rows->SectionNames().empty()) out_ << "  (no rows)\n";
  for (size_t i = 0; i < rows->SectionNames().size(); ++i) CheckRow(agent, region, *rows, i);
}

void Check::CheckRow(ExtensionAgent& agent, const Oid& region, const quillon::ProfileSnapshot& rows,
                     size_t position) {
  const std::vector<std::string_view>& names = rows.SectionNames();
  const std::string name(names[position]);
  Oid row;
  if (!quillon::ParsePlainOid(name, row)) {
    Fail(name +
             ": the section name is not an OID in dotted decimal, so no manager can read "
             "this row",
         {});
    return;
  }
  Oid previous = region;
  const bool first = position == 0;
  const bool afterOid = first || quillon::ParsePlainOid(names[position - 1], previous);
  const std::optional<std::string_view> reached =
      afterOid ? quillon::SectionAfter(rows, previous, OidToText(previous)) : std::nullopt;
  const bool walked = reached && reached->data() == names[position].data();
  if (!walked && !OidStartsWith(row, region)) {
    Fail(name + ": outside the agent's region " + OidToText(region) + ", so no manager reaches it",
         {});
    return;
  }
  std::vector<Binding> bindings{Binding{walked ? previous : row, Value{}}};
  log_.Mark();
  QueryResult result = agent.Query(walked ? Phase::GetNext : Phase::Get, bindings);
  std::vector<std::string> debugLines = log_.Lines();
  if (!walked && result.errorStatus == kBadValue) {
    // A table row has no value of its own; its cells lie under its OID.
    std::vector<Binding> first{Binding{row, Value{}}};
    log_.Mark();
    const QueryResult next = agent.Query(Phase::GetNext, first);
    if (next.errorStatus == kNoError && first.front().name.size() > row.size() &&
        OidStartsWith(first.front().name, row)) {
      result = next;
      bindings = first;
      debugLines = log_.Lines();
    }
  }
  if (result.errorStatus != kNoError) {
    Fail(name + ": " + StatusName(result.errorStatus), debugLines);
    return;
  }
  const Binding& answer = bindings.front();
  if (walked && (!OidStartsWith(answer.name, region) || answer.name <= previous)) {
    Fail("GETNEXT on " + OidToText(previous) + " answered " + OidToText(answer.name) +
             ", which is not a later OID in the region: a walk ends here (counters file out "
             "of OID order?)",
         debugLines);
    return;
  }
  Answered(answer);
  if (answer.name.size() > row.size() && OidStartsWith(answer.name, row)) {
    ListCells(agent, name, row, answer.name);
  }
}

void Check::Answered(const Binding& answer) {
  ++answered_;
  out_ << "  " << OidToText(answer.name) << " = " << ValueText(answer.value) << "\n";
}

// A table row answers with its first cell; its other cells follow it in a walk.
void Check::ListCells(ExtensionAgent& agent, const std::string& name, const Oid& table, Oid cell) {
  for (;;) {
    std::vector<Binding> bindings{Binding{cell, Value{}}};
    log_.Mark();
    const QueryResult result = agent.Query(Phase::GetNext, bindings);
    if (result.errorStatus == kNoSuchName) return;
    if (result.errorStatus != kNoError) {
      Fail(
          name + ": GETNEXT on its cell " + OidToText(cell) + ": " + StatusName(result.errorStatus),
          log_.Lines());
      return;
    }
    const Binding& answer = bindings.front();
    if (answer.name.size() <= table.size() || !OidStartsWith(answer.name, table)) return;
    Answered(answer);
    cell = answer.name;
  }
}

void Check::ReportTrap(const quillon::ProfileSnapshot& bindings, const std::optional<Trap>& trap,
                       const std::vector<std::string>& debugLines) {
  // The debug lines of each script begin with its "executing" line.
  std::vector<std::vector<std::string>> runs;
  for (const std::string& line : debugLines) {
    if (line.find(" , executing ") != std::string::npos) runs.emplace_back();
    if (!runs.empty()) runs.back().push_back(line);
  }
  const std::vector<std::string_view>& sections = bindings.SectionNames();
  size_t run = 0;
  for (size_t i = 0; i < sections.size(); ++i) {
    const std::string section(sections[i]);
    const std::string script = bindings.Value(section, "script");
    std::vector<std::string> lines;
    if (!script.empty() && run < runs.size()) lines = runs[run++];
    const Binding* binding = trap && i < trap->bindings.size() ? &trap->bindings[i] : nullptr;
    const bool empty = binding == nullptr || (binding->value.syntax == Syntax::OctetString &&
                                              binding->value.bytes.empty());
    if (!empty) {
      Answered(*binding);
    } else if (script.empty()) {
      Fail(section + ": no script", lines);
    } else {
      Fail(section + ": no value from script " + script, lines);
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
  const std::shared_ptr<const quillon::ProfileSnapshot> bindings =
      quillon::ReadProfileSnapshot(configuration_.traps);
  if (!waitForTrap_) {
    out_ << "trap bindings of " << trapFile << " (trap_delay " << configuration_.trapDelayMs
         << " ms; --check --traps waits for the agent's trap and shows their values):\n";
    ListTrapBindings(*bindings);
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
  ReportTrap(*bindings, trap, log_.Lines());
}

void Check::ListTrapBindings(const quillon::ProfileSnapshot& bindings) {
  for (const std::string_view name : bindings.SectionNames()) {
    const std::string section(name);
    const std::string script = bindings.Value(section, "script");
    if (script.empty()) {
      Fail(section + ": no script", {});
    } else {
      out_ << "  " << section << ": script " << script << "\n";
    }
  }
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
  CheckRows(*agent, registration.region);
  CheckTraps(*agent, registration);
  out_ << "check: " << answered_ << " answered, " << failed_ << " failed" << std::endl;
  return failed_ == 0 ? 0 : 1;
}

}  // namespace

int RunCheck(const Options& options, std::ostream& out) {
  const AgentConfiguration configuration = ReadAgentConfiguration();
  return Check(out, configuration, options.traps).Run(options.agentPath);
}

}  // namespace exthost
