#include "sim/fault.h"

#include <array>
#include <utility>

namespace flindor::sim {
namespace {

constexpr std::array<std::pair<FaultKind, const char*>, 11> kNames{{
    {FaultKind::NotAccepted, "not-accepted"},
    {FaultKind::NoCompletion, "no-completion"},
    {FaultKind::AspiError, "aspi-error"},
    {FaultKind::AspiAborted, "aspi-aborted"},
    {FaultKind::CheckCondition, "check-condition"},
    {FaultKind::IoctlFails, "ioctl-fails"},
    {FaultKind::IoctlRefused, "ioctl-refused"},
    {FaultKind::TimeOut, "time-out"},
    {FaultKind::OpenFails, "open-fails"},
    {FaultKind::DropOff, "drop-off"},
    {FaultKind::Slow, "slow"},
}};

}  // namespace

std::optional<FaultKind> faultKindNamed(std::string_view name) {
  for (const auto& [kind, text] : kNames) {
    if (name == text) return kind;
  }
  return std::nullopt;
}

}  // namespace flindor::sim
