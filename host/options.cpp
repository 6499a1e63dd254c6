#include "host/options.h"

#include "quillon_version.h"

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

// The words that stand alone: long switches and single letters without an argument.
bool TakeFlag(const std::string& word, Options& options) {
  if (word == "--help" || word == "-h") return options.help = true;
  if (word == "--version" || word == "-v") return options.version = true;
  if (word == "--check") return options.check = true;
  if (word == "--traps") return options.traps = true;
  if (word == "-f") return options.foreground = true;
  return false;
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
    if (TakeFlag(word, options)) continue;
    if (word == "--state-dir") {
      if (i + 1 >= arguments.size()) throw UsageError("option --state-dir needs an argument");
      options.stateDirectory = arguments[++i];
      continue;
    }
    if (word.starts_with("--")) throw UsageError("unknown option " + word);
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
      case 'u':
        options.user = TakeArgument(arguments, i);
        break;
      case 'g':
        options.group = TakeArgument(arguments, i);
        break;
      case 'x':
        options.agentxSocket = TakeArgument(arguments, i);
        break;
      case 'L':
        options.logTargets.push_back(TakeLogSpec(arguments, i));
        break;
      default:
        throw UsageError("unknown option " + word);
    }
  }
  if (options.traps && !options.check) throw UsageError("--traps goes with --check");
  if (!options.agentxSocket.empty() && !options.addresses.empty()) {
    throw UsageError("listening addresses and -x exclude each other");
  }
  return options;
}

std::string UsageText() {
  return "usage: snmp-exthost [-f] [-a AGENT] [-c FILE]... [-p PIDFILE] [-u USER] [-g GROUP]\n"
         "                    [-x SOCKET] [-L e|o|f FILE|s FACILITY]... [--state-dir DIR]\n"
         "                    [ADDRESS...]\n"
         "       snmp-exthost --check [--traps] [-a AGENT] [-u USER] [-g GROUP]\n"
         "       snmp-exthost -h|--help|-v|--version\n"
         "  -f             stay in the foreground\n"
         "  -a AGENT       extension agent library (default: the installed libquillon.so)\n"
         "  -c FILE        net-snmp configuration file (rocommunity, trapsink, agentaddress, ...)\n"
         "  -p PIDFILE     write the process id to PIDFILE once the service runs; removed at exit\n"
         "  -u USER        run as USER once the listeners are open; commands run as USER too\n"
         "  -g GROUP       run as GROUP once the listeners are open (default: USER's group)\n"
         "  -x SOCKET      run as an AgentX subagent of the snmpd listening on SOCKET\n"
         "  -L WHERE       where to log, as snmpd's -L (default: standard error in the\n"
         "                 foreground, syslog in the background)\n"
         "  --state-dir DIR\n"
         "                 keep net-snmp's persistent state (engineID, engineBoots, SNMPv3\n"
         "                 users) in DIR, created when missing (default: the install's\n"
         "                 state directory, /var/lib/quillon for an install under /usr)\n"
         "  --check        load the agent (as USER and GROUP when given), read each row of its\n"
         "                 region once, print what each answers and list the trap bindings\n"
         "                 with their scripts; exit 0 when all answer, 1 otherwise\n"
         "  --traps        with --check: also wait for the agent's trap and print its values\n"
         "  -h, --help     print this text and exit\n"
         "  -v, --version  print the version and exit\n"
         "  ADDRESS        listening address such as udp:127.0.0.1:1161 (default\n"
         "                 udp:127.0.0.1:1161, with read-only community public for 127.0.0.1\n"
         "                 when no -c is given)\n"
         "It works in /: a relative path in the agent's configuration is taken from /.\n"
         "SIGHUP reads the -c files again and reloads the agent; SIGTERM and SIGINT stop.\n";
}

std::string VersionText() {
  return std::string("snmp-exthost (quillon) ") + QUILLON_PRODUCT_VERSION_TEXT + "\n";
}

std::string DefaultAgentPath(const std::string& programDirectory) {
  return programDirectory + "/" + QUILLON_AGENT_FROM_PROGRAM;
}

}  // namespace exthost
