#include "sim/aspi_manager_model.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "sim/wire_values.h"

namespace flindor::sim {
namespace {

std::string where(const SrbExecScsiCmd& r) {
  char text[32];
  std::snprintf(text, sizeof text, "aspi %u:%u", r.SRB_HaId, r.SRB_Target);
  return text;
}

std::optional<std::uint8_t> downloadBlockOf(const SrbExecScsiCmd& r) {
  if (r.SRB_CDBLen <= zib::kBlockByte || r.CDBByte[0] != zib::kDownload) return std::nullopt;
  return r.CDBByte[zib::kBlockByte];
}

DataDirection directionOf(std::uint8_t flags) {
  switch (flags & (aspi::SRB_DIR_IN | aspi::SRB_DIR_OUT)) {
    case aspi::SRB_DIR_IN:
      return DataDirection::In;
    case aspi::SRB_DIR_OUT:
      return DataDirection::Out;
    default:
      return DataDirection::None;
  }
}

}  // namespace

std::uint32_t AspiManagerModel::supportInfo() const {
  if (bus_.settings.adapters == 0) return std::uint32_t{aspi::SS_NO_ADAPTERS} << 8;
  return (std::uint32_t{aspi::SS_COMP} << 8) | bus_.settings.adapters;
}

std::uint32_t AspiManagerModel::submit(SrbExecScsiCmd* request) {
  if (request == nullptr || request->SRB_Cmd != aspi::SC_EXEC_SCSI_CMD ||
      request->SRB_CDBLen == 0 || request->SRB_CDBLen > sizeof request->CDBByte) {
    bus_.note("aspi request refused: not a valid aspi::SC_EXEC_SCSI_CMD");
    return aspi::SS_INVALID_SRB;
  }
  if (request->SRB_HaId >= bus_.settings.adapters) {
    bus_.note(where(*request) + " refused: no such host adapter");
    return aspi::SS_INVALID_HA;
  }
  const auto block = downloadBlockOf(*request);
  SimulatedDrive* drive = bus_.driveAt(request->SRB_HaId, request->SRB_Target, request->SRB_Lun);
  if (block && drive != nullptr && drive->takeFault(FaultKind::NotAccepted, *block)) {
    bus_.note(where(*request) + " DOWNLOAD block=" + std::to_string(*block) +
              " refused: fault not-accepted");
    return aspi::SS_ASPI_IS_BUSY;
  }
  request->SRB_Status = aspi::SS_PENDING;
  return aspi::SS_PENDING;
}

bool AspiManagerModel::finish(SrbExecScsiCmd* request) {
  SrbExecScsiCmd& r = *request;
  const std::string at = where(r);
  SimulatedDrive* drive = bus_.driveAt(r.SRB_HaId, r.SRB_Target, r.SRB_Lun);
  if (drive == nullptr) {
    char opcode[16];
    std::snprintf(opcode, sizeof opcode, " opcode 0x%02X", r.CDBByte[0]);
    bus_.note(at + opcode + " -> no device");
    r.SRB_HaStat = aspi::HASTAT_SEL_TO;
    r.SRB_Status = aspi::SS_ERR;
  } else {
    const auto block = downloadBlockOf(r);
    if (block && drive->takeFault(FaultKind::NoCompletion, *block)) {
      bus_.note(at + " DOWNLOAD block=" + std::to_string(*block) + " -> held: fault no-completion");
      return false;
    }
    if (block && drive->takeFault(FaultKind::AspiAborted, *block)) {
      bus_.note(at + " DOWNLOAD block=" + std::to_string(*block) + " aborted: fault aspi-aborted");
      r.SRB_Status = aspi::SS_ABORTED;
      return true;
    }
    const DriveAnswer answer = drive->execute(
        {r.CDBByte, r.SRB_CDBLen, directionOf(r.SRB_Flags), r.SRB_BufPointer, r.SRB_BufLen});
    bus_.pause(answer.busyMs);
    std::string verdict = statusText(answer);
    r.SRB_TargStat = answer.status;
    if (answer.noResponse) {
      r.SRB_HaStat = aspi::HASTAT_SEL_TO;
      r.SRB_Status = aspi::SS_ERR;
      verdict += ", then no response: fault drop-off";
    } else if (answer.status != scsi::kStatusGood) {
      std::memcpy(r.SenseArea, answer.sense.data(),
                  std::min<std::size_t>({r.SRB_SenseLen, sizeof r.SenseArea, kSenseBytes}));
      r.SRB_Status = aspi::SS_ERR;
    } else if (block && drive->takeFault(FaultKind::AspiError, *block)) {
      drive->answerLost();
      r.SRB_HaStat = aspi::HASTAT_TIMEOUT;
      r.SRB_Status = aspi::SS_ERR;
      verdict += ", then lost: fault aspi-error";
    } else {
      r.SRB_Status = aspi::SS_COMP;
    }
    bus_.noteAnswer(at, answer, verdict);
  }
  return true;
}

void AspiManagerModel::post(SrbExecScsiCmd* request) {
  if ((request->SRB_Flags & aspi::SRB_POSTING) != 0 && request->SRB_PostProc != nullptr) {
    request->SRB_PostProc(request);
  }
}

}  // namespace flindor::sim
