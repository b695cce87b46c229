// The program's ASPI, SCSI and pass-through numbers against the documented ones the simulator
// speaks. The simulator refuses a wrong number the program sends, and misleads it with one it
// reads answers by; these checks also reach the codes no run can show wrong: those the program
// keeps but never compares (SS_ERR only stands in for a refused request, SS_NO_ADAPTERS is not
// read at all) and the control code, which the volume port does not carry.
#include "scsi/aspi_request.h"
#include "scsi/pass_through_request.h"
#include "scsi/scsi_commands.h"
#include "sim/wire_values.h"

namespace flindor {
namespace aspi = sim::aspi;

static_assert(SC_EXEC_SCSI_CMD == aspi::SC_EXEC_SCSI_CMD);
static_assert(SS_PENDING == aspi::SS_PENDING);
static_assert(SS_COMP == aspi::SS_COMP);
static_assert(SS_ABORTED == aspi::SS_ABORTED);
static_assert(SS_ERR == aspi::SS_ERR);
static_assert(SS_INVALID_HA == aspi::SS_INVALID_HA);
static_assert(SS_INVALID_SRB == aspi::SS_INVALID_SRB);
static_assert(SS_FAILED_INIT == aspi::SS_FAILED_INIT);
static_assert(SS_ASPI_IS_BUSY == aspi::SS_ASPI_IS_BUSY);
static_assert(SS_NO_ADAPTERS == aspi::SS_NO_ADAPTERS);
static_assert(HASTAT_TIMEOUT == aspi::HASTAT_TIMEOUT);
static_assert(HASTAT_SEL_TO == aspi::HASTAT_SEL_TO);
static_assert(SRB_POSTING == aspi::SRB_POSTING);
static_assert(SRB_DIR_IN == aspi::SRB_DIR_IN);
static_assert(SRB_DIR_OUT == aspi::SRB_DIR_OUT);

static_assert(kScsiStatusGood == sim::scsi::kStatusGood);
static_assert(kScsiStatusCheckCondition == sim::scsi::kStatusCheckCondition);

static_assert(kIoctlScsiPassThroughDirect == sim::nt::kIoctlScsiPassThroughDirect);
static_assert(kScsiIoctlDataIn == sim::nt::kDataIn);
static_assert(kScsiIoctlDataOut == sim::nt::kDataOut);

}  // namespace flindor
