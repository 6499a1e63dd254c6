#include "provider/perf_names.h"

#include <algorithm>

#include "platform/ascii_case.h"
#include "provider/display_language.h"

namespace provider {

const std::vector<PerfName>& PerfNames() {
  // Indices follow the numbering that Windows gives these names, so that paths
  // and tables written for Windows translate the same way here.
  static const std::vector<PerfName> names = {
      {2, "System", "System"},
      {4, "Memory", "Arbeitsspeicher"},
      {6, "% Processor Time", "Prozessorzeit (%)"},
      {24, "Available Bytes", "Verfügbare Bytes"},
      {26, "Committed Bytes", "Zugesicherte Bytes"},
      {28, "Page Faults/sec", "Seitenfehler/s"},
      {30, "Commit Limit", "Zusagegrenze"},
      {40, "Pages/sec", "Seiten/s"},
      {44, "Processor Queue Length", "Prozessor-Warteschlangenlänge"},
      {142, "% User Time", "Benutzerzeit (%)"},
      {144, "% Privileged Time", "Privilegierte Zeit (%)"},
      {146, "Context Switches/sec", "Kontextwechsel/s"},
      {148, "Interrupts/sec", "Interrupts/s"},
      {174, "Virtual Bytes", "Virtuelle Bytes"},
      {180, "Working Set", "Arbeitsseiten"},
      {186, "Private Bytes", "Private Bytes"},
      {198, "Current Disk Queue Length", "Aktuelle Warteschlangenlänge"},
      {200, "% Disk Time", "Zeit (%)"},
      {214, "Disk Reads/sec", "Lesevorgänge/s"},
      {216, "Disk Writes/sec", "Schreibvorgänge/s"},
      {220, "Disk Read Bytes/sec", "Bytes gelesen/s"},
      {222, "Disk Write Bytes/sec", "Bytes geschrieben/s"},
      {230, "Process", "Prozess"},
      {234, "PhysicalDisk", "Physikalischer Datenträger"},
      {236, "LogicalDisk", "Logischer Datenträger"},
      {238, "Processor", "Prozessor"},
      {248, "Processes", "Prozesse"},
      {250, "Threads", "Threads"},
      {264, "Bytes Received/sec", "Empfangene Bytes/s"},
      {266, "Packets Received/sec", "Empfangene Pakete/s"},
      {388, "Bytes Total/sec", "Bytes gesamt/s"},
      {400, "Packets/sec", "Pakete/s"},
      {408, "% Free Space", "Freier Speicherplatz (%)"},
      {410, "Free Megabytes", "Freie Megabytes"},
      {438, "Datagrams/sec", "Datagramme/s"},
      {442, "Datagrams Sent/sec", "Gesendete Datagramme/s"},
      {446, "Datagrams Received/sec", "Empfangene Datagramme/s"},
      {452, "Packets Sent/sec", "Gesendete Pakete/s"},
      {506, "Bytes Sent/sec", "Gesendete Bytes/s"},
      {510, "Network Interface", "Netzwerkschnittstelle"},
      {520, "Current Bandwidth", "Aktuelle Bandbreite"},
      {530, "Packets Received Errors", "Empfangene Pakete, Fehler"},
      {542, "Packets Outbound Errors", "Ausgehende Pakete, Fehler"},
      {546, "IPv4", "IPv4"},
      {556, "Datagrams Forwarded/sec", "Weitergeleitete Datagramme/s"},
      {560, "Datagrams Received Discarded", "Datagrams Received Discarded"},
      {566, "Datagrams Outbound Discarded", "Datagrams Outbound Discarded"},
      {638, "TCPv4", "TCPv4"},
      {640, "Segments/sec", "Segmente/s"},
      {642, "Connections Established", "Hergestellte Verbindungen"},
      {644, "Connections Active", "Aktive Verbindungen"},
      {646, "Connections Passive", "Passive Verbindungen"},
      {648, "Connection Failures", "Verbindungsfehler"},
      {650, "Connections Reset", "Zurückgesetzte Verbindungen"},
      {652, "Segments Received/sec", "Empfangene Segmente/s"},
      {654, "Segments Sent/sec", "Gesendete Segmente/s"},
      {656, "Segments Retransmitted/sec", "Erneut übertragene Segmente/s"},
      {658, "UDPv4", "UDPv4"},
      {660, "Datagrams No Port/sec", "Datagrams No Port/sec"},
      {662, "Datagrams Received Errors", "Datagrams Received Errors"},
      {674, "System Up Time", "Systembetriebszeit"},
      {680, "Thread Count", "Threadanzahl"},
      {684, "Elapsed Time", "Verstrichene Zeit"},
      {698, "% Interrupt Time", "Interruptzeit (%)"},
      {700, "Paging File", "Auslagerungsdatei"},
      {702, "% Usage", "Belegung (%)"},
      {704, "% Usage Peak", "Belegungsspitze (%)"},
      {784, "ID Process", "Prozesskennung"},
      {818, "Cache Bytes", "Cachebytes"},
      {952, "Handle Count", "Handleanzahl"},
      {1380, "Available KBytes", "Verfügbare KB"},
      {1382, "Available MBytes", "Verfügbare MB"},
      {1406, "% Committed Bytes In Use", "Zugesicherte verwendete Bytes (%)"},
      {1746, "% Idle Time", "Leerlaufzeit (%)"},
      // Windows registers the names below at install time, with indices that
      // differ between machines; these are fixed here.
      {9000, "Processor Information", "Prozessorinformationen"},
      {9002, "Processor Frequency", "Prozessorfrequenz"},
      {9004, "% of Maximum Frequency", "% der maximalen Frequenz"},
      {9006, "IPv6", "IPv6"},
      {9008, "TCPv6", "TCPv6"},
      {9010, "UDPv6", "UDPv6"},
  };
  return names;
}

const PerfName* FindPerfName(uint32_t index) {
  const auto& names = PerfNames();
  auto found = std::lower_bound(names.begin(), names.end(), index,
                                [](const PerfName& name, uint32_t i) { return name.index < i; });
  return found != names.end() && found->index == index ? &*found : nullptr;
}

NameSet DisplayNameSet() {
  if (!GermanDisplay()) return NameSet::kEnglish;
  return Utf8Display() ? NameSet::kGermanUtf8 : NameSet::kGermanLatin1;
}

const std::vector<std::string>& NamesOf(NameSet set) {
  // Each set is built once, on first use, in the order of PerfNames().
  auto build = [](NameSet wanted) {
    std::vector<std::string> texts;
    for (const PerfName& name : PerfNames()) {
      if (wanted == NameSet::kEnglish) {
        texts.emplace_back(name.english);
      } else {
        texts.push_back(wanted == NameSet::kGermanUtf8 ? name.german : Latin1FromUtf8(name.german));
      }
    }
    return texts;
  };
  static const std::vector<std::string> english = build(NameSet::kEnglish);
  static const std::vector<std::string> germanUtf8 = build(NameSet::kGermanUtf8);
  static const std::vector<std::string> germanLatin1 = build(NameSet::kGermanLatin1);
  switch (set) {
    case NameSet::kGermanUtf8:
      return germanUtf8;
    case NameSet::kGermanLatin1:
      return germanLatin1;
    case NameSet::kEnglish:
      break;
  }
  return english;
}

const std::string& DisplayName(const PerfName& name) {
  return NamesOf(DisplayNameSet())[static_cast<size_t>(&name - PerfNames().data())];
}

const std::string& DisplayNameOfIndex(uint32_t index) {
  static const std::string none;
  const PerfName* name = FindPerfName(index);
  return name ? DisplayName(*name) : none;
}

uint32_t FindIndexByDisplayName(const std::string& text, const std::vector<uint32_t>& candidates) {
  for (uint32_t index : candidates) {
    if (platform::EqualsIgnoringAsciiCase(DisplayNameOfIndex(index), text)) return index;
  }
  return 0;
}

}  // namespace provider
