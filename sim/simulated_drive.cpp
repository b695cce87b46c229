#include "sim/simulated_drive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "image/crc32.h"
#include "sim/wire_values.h"

namespace flindor::sim {
namespace {

constexpr std::size_t kInquiryDataBytes = 96;  // standard data and the vendor-specific part

std::uint32_t blockDataBytes(std::uint8_t block) {
  return block == zib::kFinalBlock ? zib::kFinalBlockDataBytes : zib::kBlockDataBytes;
}

std::string format(const char* pattern, unsigned a, unsigned b = 0) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

void refuse(DriveAnswer& answer, std::uint8_t key, std::uint8_t code, std::string reason) {
  answer.status = scsi::kStatusCheckCondition;
  answer.transferred = 0;
  answer.sense = {};
  answer.sense[0] = scsi::kSenseCurrentFixed;
  answer.sense[scsi::kSenseKeyByte] = key;
  answer.sense[scsi::kSenseAdditionalLengthByte] = kSenseBytes - 8;  // the bytes after it
  answer.sense[scsi::kSenseCodeByte] = code;
  answer.remark = std::move(reason);
}

void putPadded(std::uint8_t* at, const std::string& text, std::size_t width) {
  std::memset(at, ' ', width);
  std::memcpy(at, text.data(), std::min(width, text.size()));
}

bool residueIsZero(const std::uint8_t* data, std::uint32_t length) {
  std::uint32_t reg = kCrcInitial;
  return crcUpdate(data, length, reg) == 0;
}

}  // namespace

SimulatedDrive::SimulatedDrive(DriveIdentity identity, const SimSettings& settings)
    : identity_(std::move(identity)),
      settings_(settings),
      received_(zib::kFlashBytes, 0),
      configuredRevision_(identity_.revision) {}

DriveAnswer SimulatedDrive::execute(const ScsiRequest& request) {
  restoreState();
  if (request.cdb == nullptr || request.cdbLength == 0) {
    DriveAnswer answer;
    answer.command = "EMPTY CDB";
    refuse(answer, scsi::kIllegalRequest, scsi::kInvalidOpcode, "no CDB");
    return answer;
  }
  // Any command but the next block ends a strict drive's download.
  if (identity_.strict && downloading_ && request.cdb[0] != zib::kDownload) disturbed_ = true;
  switch (request.cdb[0]) {
    case scsi::kInquiry:
      return inquiry(request);
    case scsi::kTestUnitReady:
      return testUnitReady();
    case zib::kDownload:
      return download(request);
    default: {
      DriveAnswer answer;
      answer.command = format("OPCODE 0x%02X", request.cdb[0]);
      refuse(answer, scsi::kIllegalRequest, scsi::kInvalidOpcode, "unknown operation code");
      return answer;
    }
  }
}

DriveAnswer SimulatedDrive::inquiry(const ScsiRequest& request) {
  DriveAnswer answer;
  const std::uint8_t allocation = request.cdbLength > scsi::kInquiryAllocationByte
                                      ? request.cdb[scsi::kInquiryAllocationByte]
                                      : 0;
  answer.command = format("INQUIRY alloc=%u len=%u", allocation, request.dataLength);
  if (request.cdbLength < scsi::kInquiryCdbBytes || request.cdb[scsi::kInquiryEvpdByte] != 0 ||
      request.cdb[scsi::kInquiryPageByte] != 0) {
    refuse(answer, scsi::kIllegalRequest, scsi::kInvalidFieldInCdb, "not a standard INQUIRY");
    return answer;
  }
  if (allocation > 0 && (request.direction != DataDirection::In || request.data == nullptr)) {
    refuse(answer, scsi::kIllegalRequest, scsi::kInvalidFieldInCdb, "no data-in buffer");
    return answer;
  }
  std::uint8_t data[kInquiryDataBytes] = {};
  data[scsi::kPeripheralByte] = identity_.peripheralType;
  data[1] = 0x80;  // removable medium
  data[3] = 0x32;  // ATAPI, response data format 2
  data[4] = kInquiryDataBytes - 5;
  putPadded(data + scsi::kVendorOffset, identity_.vendor, 8);
  putPadded(data + scsi::kProductOffset, identity_.product, 16);
  putPadded(data + scsi::kRevisionOffset, identity_.revision, 4);
  // A device sends no more than it was asked for, nor more than the buffer holds.
  const std::uint32_t sent = std::min<std::uint32_t>(identity_.inquiryBytes, kInquiryDataBytes);
  answer.transferred = std::min<std::uint32_t>({allocation, sent, request.dataLength});
  if (answer.transferred > 0) std::memcpy(request.data, data, answer.transferred);
  if (sent < kInquiryDataBytes) answer.remark = format("sent %u bytes", answer.transferred);
  answeredInquiry_ = true;
  return answer;
}

DriveAnswer SimulatedDrive::testUnitReady() {
  DriveAnswer answer;
  answer.command = "TEST UNIT READY";
  return answer;
}

DriveAnswer SimulatedDrive::download(const ScsiRequest& request) {
  DriveAnswer answer;
  const std::uint8_t block = request.cdbLength > zib::kBlockByte ? request.cdb[zib::kBlockByte] : 0;
  const bool hasData = request.data != nullptr && request.dataLength >= zib::kCrcBytes;
  const bool crcOk = hasData && residueIsZero(request.data, request.dataLength);
  answer.command =
      format("DOWNLOAD block=%u len=%u", block, request.dataLength) + (!hasData ? " crc=-"
                                                                       : crcOk  ? " crc=ok"
                                                                                : " crc=bad");
  lastTaken_ = false;

  if (request.cdbLength != zib::kCdbBytes) {
    refuse(answer, scsi::kIllegalRequest, scsi::kInvalidFieldInCdb,
           format("CDB length %u", static_cast<unsigned>(request.cdbLength)));
    return answer;
  }
  std::uint8_t wanted[zib::kCdbBytes] = {};
  for (const zib::FixedByte& fixed : zib::kFixedBytes) wanted[fixed.index] = fixed.value;
  for (std::size_t i = 1; i < zib::kCdbBytes; ++i) {
    if (request.cdb[i] != wanted[i] && i != zib::kBlockByte) {
      refuse(answer, scsi::kIllegalRequest, scsi::kInvalidFieldInCdb,
             format("CDB byte %u is 0x%02X", static_cast<unsigned>(i), request.cdb[i]));
      return answer;
    }
  }
  if (block > zib::kFinalBlock) {
    refuse(answer, scsi::kIllegalRequest, scsi::kInvalidFieldInCdb, "no such block");
    return answer;
  }
  if (request.direction != DataDirection::Out || !hasData) {
    refuse(answer, scsi::kIllegalRequest, scsi::kInvalidFieldInCdb, "no data-out buffer");
    return answer;
  }
  const std::uint32_t wantedLength = blockDataBytes(block) + zib::kCrcBytes;
  if (request.dataLength != wantedLength) {
    refuse(answer, scsi::kIllegalRequest, scsi::kParameterListLengthError,
           format("length %u, wants %u", request.dataLength, wantedLength));
    return answer;
  }
  const bool repeat = repeatAllowed_ && expected_ > 0 && block == expected_ - 1;
  if (block != expected_ && !repeat) {
    refuse(answer, scsi::kIllegalRequest, scsi::kCommandSequenceError,
           format("out of order, waits for %u", expected_));
    return answer;
  }
  if (!crcOk) {
    refuse(answer, scsi::kIllegalRequest, scsi::kInvalidFieldInParameterList, "bad CRC");
    return answer;
  }
  // Block 0 begins a download afresh; a strict drive disturbed in one takes no more of it.
  if (block == 0) disturbed_ = false;
  if (disturbed_) {
    refuse(answer, scsi::kIllegalRequest, scsi::kCommandSequenceError,
           "the download was ended by another command");
    return answer;
  }
  if (takeFault(FaultKind::CheckCondition, block)) {
    refuse(answer, scsi::kMediumError, scsi::kWriteError, "fault check-condition");
    return answer;
  }

  std::memcpy(received_.data() + block * zib::kBlockDataBytes, request.data, blockDataBytes(block));
  lastTaken_ = true;
  repeatAllowed_ = false;
  downloading_ = true;
  if (!repeat) expected_ = block + 1;
  if (takeFault(FaultKind::Slow, block)) answer.busyMs = settings_.slowBlockMs;
  if (block == zib::kFinalBlock) program(answer);
  return answer;
}

void SimulatedDrive::program(DriveAnswer& answer) {
  downloading_ = false;
  flashed_ = received_;
  ++programmings_;
  // The simulated firmware names its version in its last four bytes, as an image's header
  // does; the drive reports it with its own model letter.
  std::string version(flashed_.end() - 4, flashed_.end());
  if (identity_.revision.size() >= 2) version[1] = identity_.revision[1];
  if (programming_ != Programming::Fails) flashRevision_ = version;
  if (programming_ == Programming::Takes) identity_.revision = version;
  saveState();
  expected_ = 0;  // the drive restarts on its new firmware
  answer.busyMs = settings_.programmingDelayMs;
  if (!settings_.flashOutputPath.empty()) {
    std::ofstream out(settings_.flashOutputPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(flashed_.data()),
              static_cast<std::streamsize>(flashed_.size()));
    if (!out) answer.remark = "flashed data not written to " + settings_.flashOutputPath;
  }
  if (takeFault(FaultKind::DropOff, zib::kFinalBlock)) {
    present_ = false;
    answer.noResponse = true;
  }
}

void SimulatedDrive::planFault(std::uint8_t block, FaultKind kind, int times) {
  faults_[{block, kind}] += times;
}

bool SimulatedDrive::takeFault(FaultKind kind, std::uint8_t block) {
  auto it = faults_.find({block, kind});
  if (it == faults_.end() || it->second <= 0) return false;
  --it->second;
  return true;
}

void SimulatedDrive::answerLost() { repeatAllowed_ = lastTaken_; }

void SimulatedDrive::powerCycle() {
  if (!flashRevision_.empty()) identity_.revision = flashRevision_;
  saveState();
}

// The state file holds a line "KEY REVISION FLASH-REVISION" per drive that programmed its flash.
void SimulatedDrive::restoreState() {
  if (stateRestored_ || stateKey_.empty() || settings_.statePath.empty()) return;
  stateRestored_ = true;
  std::ifstream in(settings_.statePath);
  std::string key, revision, flash;
  while (in >> key >> revision >> flash) {
    if (key != stateKey_) continue;
    identity_.revision = revision;
    flashRevision_ = flash;
  }
}

void SimulatedDrive::saveState() const {
  if (stateKey_.empty() || settings_.statePath.empty()) return;
  std::ifstream in(settings_.statePath);
  std::string others, line;
  while (std::getline(in, line)) {
    if (line.rfind(stateKey_ + ' ', 0) != 0) others += line + '\n';
  }
  in.close();
  std::ofstream out(settings_.statePath, std::ios::trunc);
  out << others << stateKey_ << ' ' << identity_.revision << ' '
      << (flashRevision_.empty() ? identity_.revision : flashRevision_) << '\n';
}

void SimulatedDrive::reset() {
  identity_.revision = configuredRevision_;
  flashRevision_.clear();
  stateRestored_ = true;  // just switched on as configured, whatever a file says
  faults_.clear();
  std::fill(received_.begin(), received_.end(), 0);
  flashed_.clear();
  expected_ = 0;
  lastTaken_ = repeatAllowed_ = answeredInquiry_ = downloading_ = disturbed_ = false;
  present_ = true;
  programmings_ = 0;
}

}  // namespace flindor::sim
