#include "host/options.h"

namespace exthost {
namespace {

// A switch's argument: the rest of the word (-cFILE) or the next word (-c FILE).
std::string TakeArgument(const std::vector<std::string>& arguments, size_t& position) {
  const std::string& word = arguments[position];
  if (word.size() > 2) return word.substr(2);
  if (position + 1 >= arguments.size()) {
    throw UsageError("option " + word + " needs an argument");
  }
  return arguments[++position];
}

// -Lf and -Ls take a further argument, like snmpd's; -Le and -Lo do not.
std::string TakeLogSpec(const std::vector<std::string>& arguments, size_t& position) {
  std::string where = TakeArgument(arguments, position);
  const bool needsTarget = (where == "f" || where == "s" || where == "F" || where == "S");
  if (needsTarget) {
    if (position + 1 >= arguments.size())
      throw UsageError("option -L" + where + " needs an argument");
    where += arguments[++position];
  }
  return where;
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& arguments) {
  Options options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word.size() < 2 || word[0] != '-') {
      options.addresses.push_back(word);
      continue;
    }
    switch (word[1]) {
      case 'a':
        options.agentPath = TakeArgument(arguments, i);
        break;
      case 'c':
        options.configFiles.push_back(TakeArgument(arguments, i));
        break;
      case 'p':
        options.pidFile = TakeArgument(arguments, i);
        break;
      case 'x':
        options.agentxSocket = TakeArgument(arguments, i);
        break;
      case 'L':
        options.logTargets.push_back(TakeLogSpec(arguments, i));
        break;
      case 'f':
      case 'h':
        if (word.size() != 2) throw UsageError("unknown option " + word);
        (word[1] == 'f' ? options.foreground : options.help) = true;
        break;
      default:
        throw UsageError("unknown option " + word);
    }
  }
  if (!options.agentxSocket.empty() && !options.addresses.empty()) {
    throw UsageError("listening addresses and -x exclude each other");
  }
  return options;
}

std::string UsageText() {
  return "usage: snmp-exthost [-f] [-a AGENT.so] [-c FILE]... [-p PIDFILE] [-x SOCKET] [-L e|o|f "
         "FILE|s "
         "FACILITY]... [ADDRESS...]\n"
         "  -f         stay in the foreground\n"
         "  -a AGENT   extension agent library (default: the installed libquillon.so)\n"
         "  -c FILE    net-snmp configuration file (rocommunity, trapsink, agentaddress, ...)\n"
         "  -p FILE    write the process id to FILE once the service runs\n"
         "  -x SOCKET  run as an AgentX subagent of the snmpd listening on SOCKET\n"
         "  -L WHERE    where to log, as snmpd's -L (default: standard error in the foreground)\n"
         "  ADDRESS    listening address such as udp:127.0.0.1:1161 (default "
         "udp:127.0.0.1:1161,\n"
         "             with read-only community public for 127.0.0.1 when no -c is given)\n";
}

std::string DefaultAgentPath(const std::string& programDirectory) {
  return programDirectory + "/" + QUILLON_AGENT_FROM_PROGRAM;
}

}  // namespace exthost
