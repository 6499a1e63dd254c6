#include <filesystem>
#include <fstream>

#include "provider/objects/object_lookup.h"
#include "provider/objects/object_model.h"
#include "tests/lib/temp_dir.h"
#include "tests/provider/provider_test_support.h"

// The objects of one collection read each source file once and share what they
// read: a file rewritten during a collection is seen as it was at its first
// read, by every object, until the next collection.
namespace provider_test {
namespace {

namespace fs = std::filesystem;

// The counters read here.
constexpr const char* kDatagramsReceived = "Datagrams Received/sec";  // IPv4, IPv6, UDPv4, UDPv6
constexpr const char* kSegmentsReceived = "Segments Received/sec";    // TCPv4
constexpr const char* kUsage = "% Usage";                             // Paging File
constexpr const char* kFrequency = "Processor Frequency";             // Processor Information

class SharedReads : public ::testing::Test {
 protected:
  SharedReads() {
    fs::create_directories(Proc() / "net");
    fs::create_directories(CpuFreq());
    Put("proc-a");
    SetFrequency("1800000");
    std::ofstream(CpuFreq() / "cpuinfo_max_freq") << "3600000\n";
  }

  fs::path Proc() const { return dir_.Path() / "proc"; }
  fs::path CpuFreq() const { return dir_.Path() / "sys/devices/system/cpu/cpu0/cpufreq"; }

  // A snapshot's protocol statistics, swap areas and CPU times.
  void Put(const std::string& snapshot) {
    for (const char* file : {"net/snmp", "net/snmp6", "net/tcp", "net/tcp6", "swaps", "stat"}) {
      fs::copy_file(FixturePath(snapshot) + "/" + file, Proc() / file,
                    fs::copy_options::overwrite_existing);
    }
  }
  void SetFrequency(const char* khz) {
    std::ofstream(CpuFreq() / "scaling_cur_freq") << khz << "\n";
  }

  // The count of an instance's counter, every counter of the object wanted.
  int64_t Read(const provider::ObjectSpec& object, const char* counterName,
               const std::string& instance = "") {
    const auto counter = provider::FindCounter(object, counterName);
    if (!counter) {
      ADD_FAILURE() << "no counter '" << counterName << "'";
      return -1;
    }
    provider::CollectContext context{Proc().string(), (dir_.Path() / "sys").string(), 0,
                                     std::vector<bool>(object.counters.size(), true), &files_};
    for (const provider::InstanceSample& sample : object.collect(context).instances) {
      if (sample.name == instance) return sample.values.at(*counter).first;
    }
    ADD_FAILURE() << "no instance '" << instance << "'";
    return -1;
  }

  TempDir dir_;
  provider::SourceFiles files_;
};

TEST_F(SharedReads, EachFileIsReadOncePerCollectionForAllObjects) {
  EXPECT_EQ(Read(provider::IPv4Object(), kDatagramsReceived), 100000);
  EXPECT_EQ(Read(provider::IPv6Object(), kDatagramsReceived), 20000);
  EXPECT_EQ(Read(provider::PagingFileObject(), kUsage, "_Total"), 2097152);
  EXPECT_EQ(Read(provider::ProcessorInformationObject(), kFrequency, "0,0"), 1800);

  Put("proc-b");
  SetFrequency("3600000");
  EXPECT_EQ(Read(provider::UDPv4Object(), kDatagramsReceived), 6000);
  EXPECT_EQ(Read(provider::UDPv6Object(), kDatagramsReceived), 1000);
  EXPECT_EQ(Read(provider::TCPv4Object(), kSegmentsReceived), 4294966296);
  EXPECT_EQ(Read(provider::PagingFileObject(), kUsage, "_Total"), 2097152);
  EXPECT_EQ(Read(provider::ProcessorInformationObject(), kFrequency, "0,0"), 1800);

  files_.Reset();
  EXPECT_EQ(Read(provider::UDPv4Object(), kDatagramsReceived), 6500);
  EXPECT_EQ(Read(provider::UDPv6Object(), kDatagramsReceived), 1200);
  EXPECT_EQ(Read(provider::PagingFileObject(), kUsage, "_Total"), 4194304);
  EXPECT_EQ(Read(provider::ProcessorInformationObject(), kFrequency, "0,0"), 3600);
}

}  // namespace
}  // namespace provider_test
