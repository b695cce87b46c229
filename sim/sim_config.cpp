#include "sim/sim_config.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

namespace flindor::sim {
namespace {

struct FaultLine {
  std::uint8_t block;
  FaultKind kind;
  int times;
};

struct DeviceDescription {
  DeviceAddress address;
  DriveIdentity identity;
  Programming programming = Programming::Takes;
  std::vector<FaultLine> faults;
};

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A whole-text number from `low` to `high`, decimal or 0x hexadecimal.
std::optional<unsigned long> number(const std::string& text, unsigned long low,
                                    unsigned long high) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || text[0] == '-' || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while ((at = text.find_first_not_of(" \t", at)) != std::string::npos) {
    const std::size_t end = text.find_first_of(" \t", at);
    out.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end;
  }
  return out;
}

class Reader {
 public:
  explicit Reader(SimulatedBus& bus) : bus_(bus) {}

  // "" when the line was taken, else what is wrong with it.
  std::string take(const std::string& name, const std::string& value) {
    if (name == "device") {
      finish();
      device_.emplace();
      return "";
    }
    if (name == "adapters") return set(bus_.settings.adapters, value, 0, 255);
    if (name == "programming-delay-ms") {
      return set(bus_.settings.programmingDelayMs, value, 0, 3600000);
    }
    if (name == "slow-block-ms") return set(bus_.settings.slowBlockMs, value, 0, 3600000);
    if (name == "transcript") return text(bus_.settings.transcriptPath, value);
    if (name == "flash-output") return text(bus_.settings.flashOutputPath, value);
    if (name == "state") return text(bus_.settings.statePath, value);
    if (name == "poll-ms") return set(bus_.settings.pollMs, value, 0, 60000);
    if (name == "other-program-at-block") {
      return set(bus_.settings.otherProgramAtBlock, value, 0, 63);
    }
    if (name == "exclusive-holder") return text(bus_.settings.exclusiveHolder, value, 63);
    if (name == "controls-refused") {
      return set(bus_.settings.controlsRefusedError, value, 1, 0xFFFF);
    }
    if (!device_) return "'" + name + "' outside a device, or unknown";
    DeviceDescription& d = *device_;
    if (name == "adapter") {
      std::uint8_t adapter = 0;
      std::string fault = set(adapter, value, 0, 255);
      if (fault.empty()) d.address.adapter = adapter;
      return fault;
    }
    if (name == "target") return set(d.address.target, value, 0, 15);
    if (name == "letter") {
      if (value.size() != 1 || value[0] < 'A' || value[0] > 'Z') return "letter must be A to Z";
      d.address.letter = value[0];
      return "";
    }
    if (name == "type") return set(d.identity.peripheralType, value, 0, 255);
    if (name == "vendor") return text(d.identity.vendor, value, 8);
    if (name == "product") return text(d.identity.product, value, 16);
    if (name == "revision") return text(d.identity.revision, value, 4);
    if (name == "inquiry-bytes") return set(d.identity.inquiryBytes, value, 0, 96);
    if (name == "strict") {
      if (value != "yes" && value != "no") return "strict is yes or no";
      d.identity.strict = value == "yes";
      return "";
    }
    if (name == "fault") return fault(d, value);
    if (name == "programming") {
      if (value == "takes")
        d.programming = Programming::Takes;
      else if (value == "after-power-cycle")
        d.programming = Programming::AfterPowerCycle;
      else if (value == "fails")
        d.programming = Programming::Fails;
      else
        return "programming is takes, after-power-cycle or fails";
      return "";
    }
    return "unknown setting '" + name + "'";
  }

  void finish() {
    if (!device_) return;
    SimulatedDrive& drive = bus_.addDrive(device_->address, device_->identity);
    drive.setProgramming(device_->programming);
    for (const FaultLine& f : device_->faults) drive.planFault(f.block, f.kind, f.times);
    device_.reset();
  }

 private:
  template <class Field>
  static std::string set(Field& field, const std::string& value, unsigned long low,
                         unsigned long high) {
    const auto n = number(value, low, high);
    if (!n)
      return "'" + value + "' is not a number from " + std::to_string(low) + " to " +
             std::to_string(high);
    field = static_cast<Field>(*n);
    return "";
  }

  static std::string text(std::string& field, const std::string& value,
                          std::size_t longest = std::string::npos) {
    if (value.empty()) return "a value is needed";
    if (value.size() > longest) return "longer than " + std::to_string(longest) + " characters";
    field = value;
    return "";
  }

  static std::string fault(DeviceDescription& d, const std::string& value) {
    const auto parts = words(value);
    if (parts.size() < 2 || parts.size() > 3) return "fault wants: BLOCK KIND [TIMES]";
    const auto block = number(parts[0], 0, 63);
    const auto kind = faultKindNamed(parts[1]);
    const auto times = parts.size() == 3 ? number(parts[2], 1, 1000000) : 1ul;
    if (!block) return "fault block must be 0 to 63";
    if (!kind) return "unknown fault '" + parts[1] + "'";
    if (!times) return "fault times must be a positive number";
    d.faults.push_back({static_cast<std::uint8_t>(*block), *kind, static_cast<int>(*times)});
    return "";
  }

  SimulatedBus& bus_;
  std::optional<DeviceDescription> device_;
};

}  // namespace

bool loadSimConfig(std::istream& text, SimulatedBus& bus, std::string& error) {
  Reader reader(bus);
  std::string line;
  for (int number = 1; std::getline(text, line); ++number) {
    line = trimmed(line);
    if (line.empty() || line[0] == '#') continue;
    const std::size_t space = line.find_first_of(" \t");
    const std::string name = line.substr(0, space);
    const std::string value = space == std::string::npos ? "" : trimmed(line.substr(space));
    const std::string fault = reader.take(name, value);
    if (!fault.empty()) {
      error = "line " + std::to_string(number) + ": " + fault;
      return false;
    }
  }
  reader.finish();
  return true;
}

bool loadSimConfigFile(const std::string& path, SimulatedBus& bus, std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = "cannot read " + path;
    return false;
  }
  return loadSimConfig(file, bus, error);
}

}  // namespace flindor::sim
