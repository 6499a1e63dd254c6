#include "platform/event_log.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace platform {

namespace {

constexpr const char* kSyslogSocket = "/dev/log";
constexpr int kUserInfoPriority = (1 << 3) | 6;  // LOG_USER | LOG_INFO

// "<14>Dec  7 23:15:44 quillon[4711]: message", the record syslog(3) would send.
// Written to the socket directly because openlog() would change the identity of
// every other syslog line of the host process that loaded us.
std::string SyslogRecord(const std::string& source, const std::string& message) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char header[64];
  std::snprintf(header, sizeof header, "<%d>%s %2d %02d:%02d:%02d ", kUserInfoPriority,
                kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec);
  return header + source + "[" + std::to_string(getpid()) + "]: " + message;
}

}  // namespace

void ReportInformationEvent(const std::string& source, const std::string& message) {
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, kSyslogSocket, sizeof address.sun_path - 1);
  const std::string record = SyslogRecord(source, message);
  sendto(fd, record.data(), record.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address),
         sizeof address);
  close(fd);
}

}  // namespace platform
